#include "threephase/coulometry.h"
