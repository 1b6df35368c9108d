#include "sim/kz827.h"
