#include "link/rsaddersdcu.h"
