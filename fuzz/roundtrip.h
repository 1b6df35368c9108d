#pragma once
// Checks shared by the targets that decode settings blocks and encode
// typed values: what a download sends, uploaded and downloaded again
// unchanged, is sent the same way (the first pass may settle a value the
// controls cannot show exactly, no later one changes anything).
#include "kz827/alarms.h"
#include "core/fields.h"

namespace fuzz {

// values: control values of a block of the given size; path: what an
// accepted first download counts as reached.
void CheckStable(fields::Table table, const fields::Values &values, int bytes, const char *path = "fields.encoded");

// Whether two KZ827KVE alarm blocks show the same settings.
bool SameAlarms(const kz827::AlarmSettings &x, const kz827::AlarmSettings &y);

} // namespace fuzz
