#include "singlephase/monitordcu.h"
