#include "sim/singlephase.h"
