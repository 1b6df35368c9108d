// The reply handling of the single-phase windows, as their handlers do it,
// without widgets. Same input layout as the three-phase target: a window
// byte (modulo 10), then exchanges of a state byte, request and reply.
#include "fuzz/fuzzinput.h"
#include "fuzz/targets.h"
#include "fuzz/windowchecks.h"
#include "core/relaycommands.h"
#include "singlephase/calibration.h"
#include "singlephase/measurement.h"
#include "singlephase/monitor.h"
#include "singlephase/settings.h"

namespace fuzz {

namespace {

namespace sp = singlephase;
namespace mon = singlephase::monitor;

class Windows {
public:
    void Handle(int window, std::uint8_t state, const modbus::Exchange &ex)
    {
        switch (window) {
        case 0: {
            const auto outcome = sp::measurement::HandleReply(ex, setup_);
            if (outcome.kind == sp::measurement::Outcome::Measurement)
                Reached("singlephase.measurement");
            (void)sp::measurement::Decode(ex.Data(), ex.reply);
            break;
        }
        case 1: {
            const relays::Outcome outcome = CheckRelays(mon::kRelayCommands, state, ex, "singlephase.relays");
            FUZZ_CHECK(outcome.kind != relays::Outcome::Echo);
            break;
        }
        case 2:
            if (const auto s = mon::ReadState(
                    IsUpload(ex, mon::kStateFirst, 2 * mon::kStateRegisters) ? ex.Data() : QByteArray())) {
                Reached("singlephase.state");
                FUZZ_CHECK(s->bits < (1u << mon::kStateLamps));
                FUZZ_CHECK(mon::ModeText(s->mode).has_value() == (s->mode >= 0 && s->mode <= 2));
            }
            break;
        case 3:
            CheckEvents(mon::kEventLog, mon::kEventKinds, state, ex, 5, "singlephase.events");
            break;
        case 4:
            CheckSettings(ex, sp::alarmenable::kFields, sp::alarmenable::kFirstRegister, sp::alarmenable::kBytes,
                          "singlephase.alarmenable");
            break;
        case 5: {
            const auto &g = sp::alarmparams::kGroups[state % sp::alarmparams::kGroups.size()];
            CheckSettings(ex, g.table, g.first, g.Bytes(), "singlephase.alarmparams", "singlephase.encoded");
            break;
        }
        case 6:
            CheckSettings(ex, sp::display::kFields, sp::display::kFirstRegister, sp::display::kBytes, "singlephase.display",
                          "singlephase.encoded");
            break;
        case 7: {
            namespace is = sp::initsettings;
            CheckSettings(ex, is::kFields, is::kFirstRegister, is::kBytes, "singlephase.initsettings", "singlephase.encoded");
            if (IsUpload(ex, is::kBaseRegister, is::kBaseReadBytes)) {
                Reached("singlephase.bases");
                const std::array<QString, 2> bases = energybase::DecodeBases(ex.Data());
                const fields::Encoded down = energybase::EncodeBases(bases[0], bases[1]);
                FUZZ_CHECK(down.ok() ? down.data.size() == 8 : down.field >= 0);
            }
            break;
        }
        case 8:
            CheckClock(0x005C, ex, "singlephase.clock");
            break;
        default:
            CheckCalibration(engine_, ex.reply, "singlephase.calibration");
            break;
        }
    }

private:
    QByteArray setup_;
    sp::calibration::Decoder decoder_;
    calib::Engine engine_{decoder_};
};

} // namespace

int FuzzSinglePhase(const std::uint8_t *data, std::size_t size)
{
    return FeedWindows<Windows, modbus::Exchange>(data, size, 10);
}

} // namespace fuzz
