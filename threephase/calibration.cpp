#include "threephase/calibration.h"
