#include "link/familywindow.h"
