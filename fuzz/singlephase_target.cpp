// The reply handling of the single-phase windows, as their handlers do it,
// without widgets. Same input layout as the three-phase target: a window
// byte (modulo 10), then exchanges of a state byte, request and reply.
#include "fuzz/fuzzinput.h"
#include "fuzz/roundtrip.h"
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
            // The command the window sent: the one whose request it is, or
            // else the one the state picks.
            const relays::Command *command = &mon::kRelayCommands[state % mon::kRelayCommands.size()];
            for (const relays::Command &c : mon::kRelayCommands)
                if (!ex.request.isEmpty() && relays::Request(c, static_cast<std::uint8_t>(ex.request.front())) == ex.request)
                    command = &c;
            const relays::Outcome outcome = relays::Read(*command, ex);
            if (outcome.kind != relays::Outcome::Nothing)
                Reached("singlephase.relays");
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
        case 4: {
            namespace ae = sp::alarmenable;
            const fields::Values values = fields::Decode(ae::kFields, ex.Data());
            if (IsUpload(ex, ae::kFirstRegister, ae::kBytes)) {
                Reached("singlephase.alarmenable");
                CheckStable(ae::kFields, values, ae::kBytes);
            }
            break;
        }
        case 5: {
            namespace ap = sp::alarmparams;
            const ap::Group &g = ap::kGroups[state % ap::kGroups.size()];
            const fields::Values values = fields::Decode(g.table, ex.Data());
            if (IsUpload(ex, g.first, g.Bytes())) {
                Reached("singlephase.alarmparams");
                CheckStable(g.table, values, g.Bytes(), "singlephase.encoded");
            }
            break;
        }
        case 6: {
            namespace d = sp::display;
            const fields::Values values = fields::Decode(d::kFields, ex.Data());
            if (IsUpload(ex, d::kFirstRegister, d::kBytes)) {
                Reached("singlephase.display");
                CheckStable(d::kFields, values, d::kBytes, "singlephase.encoded");
            }
            break;
        }
        case 7: {
            namespace is = sp::initsettings;
            const fields::Values values = fields::Decode(is::kFields, ex.Data());
            if (IsUpload(ex, is::kFirstRegister, is::kBytes)) {
                Reached("singlephase.initsettings");
                CheckStable(is::kFields, values, is::kBytes, "singlephase.encoded");
            }
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
