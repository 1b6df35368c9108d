#include "threephase/display.h"
