#include "link/comdcu.h"
