#include "threephase/limits.h"
