#include "StringBufferRules.h"
