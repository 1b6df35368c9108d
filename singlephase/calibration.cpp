#include "singlephase/calibration.h"
