#include "link/addressscan.h"
