#include "TimerText.h"
