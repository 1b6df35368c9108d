#pragma once
// kzctl check-wiring: the readings a wiring check needs from a three-phase
// meter (ratio block, measurements, state bits) over the synchronous link,
// and the verdict as text lines or a JSON object.
#include "cli/synclink.h"
#include "threephase/wiring.h"

#include <QJsonObject>
#include <QStringList>
#include <optional>

namespace cli {

// Nothing, with error set, when the meter does not answer all three reads.
std::optional<threephase::wiring::Readings> ReadWiring(SyncLink &link, int address, QString *error);

QStringList WiringLines(int address, const threephase::wiring::Readings &readings,
                        const threephase::wiring::Verdict &verdict);
QJsonObject WiringJson(int address, const threephase::wiring::Readings &readings,
                       const threephase::wiring::Verdict &verdict);

} // namespace cli
