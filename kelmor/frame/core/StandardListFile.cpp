#include "StandardListFile.h"
