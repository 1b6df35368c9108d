#include "threephase/initsettings.h"
