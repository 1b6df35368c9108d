#include "singlephase/monitor.h"
