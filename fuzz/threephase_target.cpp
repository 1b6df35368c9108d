// The reply handling of the three-phase windows, as their handlers do it,
// without widgets. Input: one byte choosing the window (modulo 10), then
// exchanges until the input ends, each a state byte (the window's own
// state: limit group, event kind), the request chunk and the reply chunk.
// A window keeps what it stored (ratios, calibration histories) from one
// exchange to the next.
#include "fuzz/fuzzinput.h"
#include "fuzz/roundtrip.h"
#include "fuzz/targets.h"
#include "fuzz/windowchecks.h"
#include "core/relaycommands.h"
#include "threephase/alarmmask.h"
#include "threephase/calibration.h"
#include "threephase/measurement.h"
#include "threephase/display.h"
#include "threephase/initsettings.h"
#include "threephase/limits.h"
#include "threephase/monitor.h"

namespace fuzz {

namespace {

namespace mon = threephase::monitor;

class Windows {
public:
    void Handle(int window, std::uint8_t state, const modbus::Exchange &ex)
    {
        switch (window) {
        case 0: {
            const threephase::ReplyOutcome outcome = threephase::HandleReply(ex.reply, params_);
            if (outcome.kind == threephase::ReplyOutcome::Measurement) {
                Reached("threephase.measurement");
                for (const char *name : threephase::kMeasurementBoxNames)
                    (void)outcome.texts.Of(name);
            }
            (void)threephase::DecodeMeasurement(ex.reply, ex.Data());
            break;
        }
        case 1: {
            const relays::Outcome outcome = CheckRelays(mon::kRelayCommands, state, ex, "threephase.relays");
            FUZZ_CHECK(outcome.bits <= 7);
            FUZZ_CHECK(outcome.kind != relays::Outcome::Echo || !outcome.message.isEmpty());
            break;
        }
        case 2:
            if (const auto bits = mon::StateBits(
                    IsUpload(ex, mon::kStateFirst, 2 * mon::kStateRegisters) ? ex.Data() : QByteArray())) {
                Reached("threephase.state");
                for (const mon::StateLamp &lamp : mon::StateLamps())
                    FUZZ_CHECK(lamp.bit >= 0 && lamp.bit < mon::kStateLamps && mon::FindStateLamp(lamp.caption));
            }
            break;
        case 3:
            CheckEvents(mon::kEventLog, mon::kEventKinds, state, ex, 4, "threephase.events");
            break;
        case 4:
            CheckSettings(ex, threephase::alarmmask::kFields, threephase::alarmmask::kFirstRegister,
                          threephase::alarmmask::kBytes, "threephase.settings");
            break;
        case 5: {
            // The group last asked for; a short reply still fills what it holds.
            const auto &g = threephase::limits::kGroups[state % threephase::limits::kGroups.size()];
            const QByteArray data = ex.Data();
            const fields::Values values = fields::Decode(g.table, data);
            const bool read = ex.Function() == 0x03 && ex.RequestFunction() == 0x03;
            if (read && ex.request.mid(2, 2) == modbus::ReadRegisters(0, g.first, 1).mid(2, 2) &&
                ex.ByteCount() <= g.Bytes() && data.size() >= g.minimum) {
                Reached("threephase.limits");
                if (data.size() == g.Bytes())
                    CheckStable(g.table, values, g.Bytes());
            }
            break;
        }
        case 6:
            CheckSettings(ex, threephase::display::kFields, threephase::display::kFirstRegister,
                          threephase::display::kBytes, "threephase.settings");
            break;
        case 7: {
            namespace is = threephase::initsettings;
            CheckSettings(ex, is::kFields, is::kFirstRegister, is::kBytes, "threephase.settings");
            const std::array<QString, 2> bases = is::DecodeBases(ex.Data());
            // An uploaded base goes back down as it stands, or is refused
            // with a message when it does not fit the download.
            for (int i = 0; i < 2; ++i) {
                QString error;
                const auto field = is::EncodeBase(bases[i], i == 0 ? is::kActiveBase : is::kReactiveBase, &error);
                FUZZ_CHECK(field ? field->size() == 4 : !error.isEmpty());
            }
            break;
        }
        case 8:
            CheckClock(0x0060, ex, "threephase.clock");
            break;
        default:
            CheckCalibration(engine_, ex.reply, "threephase.calibration");
            break;
        }
    }

private:
    QByteArray params_;
    threephase::calibration::Decoder decoder_;
    calib::Engine engine_{decoder_};
};

} // namespace

int FuzzThreePhase(const std::uint8_t *data, std::size_t size)
{
    return FeedWindows<Windows, modbus::Exchange>(data, size, 10);
}

} // namespace fuzz
