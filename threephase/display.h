#pragma once
#include "link/fields.h"
