#include "fuzz/windowchecks.h"

#include "fuzz/fuzzinput.h"
#include "fuzz/roundtrip.h"
#include "core/clockblock.h"

namespace fuzz {

bool IsUpload(const modbus::Exchange &ex, std::uint16_t first, int bytes)
{
    return ex.Answers(first, bytes);
}

void CheckSettings(const modbus::Exchange &ex, fields::Table table, std::uint16_t first, int bytes, const char *path,
                   const char *encoded)
{
    const fields::Values partial = fields::Decode(table, ex.Data());
    FUZZ_CHECK(partial.size() == static_cast<qsizetype>(table.size()));
    if (!IsUpload(ex, first, bytes))
        return;
    Reached(path);
    CheckStable(table, partial, bytes, encoded);
}

relays::Outcome CheckRelays(std::span<const relays::Command> commands, std::uint8_t state, const modbus::Exchange &ex,
                            const char *path)
{
    const relays::Command *command = &commands[state % commands.size()];
    for (const relays::Command &c : commands)
        if (!ex.request.isEmpty() && relays::Request(c, static_cast<std::uint8_t>(ex.request.front())) == ex.request)
            command = &c;
    const relays::Outcome outcome = relays::Read(*command, ex);
    if (outcome.kind != relays::Outcome::Nothing)
        Reached(path);
    return outcome;
}

void CheckEvents(const eventlog::Log &log, int kinds, std::uint8_t state, const modbus::Exchange &ex,
                 qsizetype cells, const char *path)
{
    const int kind = state % (kinds + 1) - 1;
    const QByteArray data = IsUpload(ex, eventlog::Register(log, kind), log.DataBytes()) ? ex.Data() : QByteArray();
    const QList<QStringList> rows = eventlog::Rows(log, data, kind, QStringLiteral("k"));
    FUZZ_CHECK(rows.isEmpty() || rows.size() == log.records);
    if (!rows.isEmpty())
        Reached(path);
    for (const QStringList &row : rows)
        FUZZ_CHECK(row.size() == cells);
}

void CheckClock(std::uint16_t first, const modbus::Exchange &ex, const char *path)
{
    if (const auto reading = clockblock::Read(IsUpload(ex, first, clockblock::kBytes) ? ex.Data() : QByteArray())) {
        Reached(path);
        FUZZ_CHECK(reading->baudIndex >= -1 && reading->baudIndex < 6);
    }
}

void CheckCalibration(calib::Engine &engine, const QByteArray &reply, const char *path)
{
    if (engine.Take(reply) == calib::Engine::Reply::Read) {
        Reached(path);
        const calib::Decoder &decoder = engine.decoder();
        FUZZ_CHECK(decoder.Texts().size() == static_cast<qsizetype>(decoder.ReadOuts().size()));
    }
}

} // namespace fuzz
