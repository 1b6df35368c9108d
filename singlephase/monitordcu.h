#pragma once
#include "link/familywindow.h"

// Factories of the windows this file declares (none yet).
#define SINGLEPHASE_MONITOR_FACTORIES
