// The reply handling of the KZ827KVE windows, as their handlers do it,
// without widgets. Input: a window byte (modulo 4: measurement, alarm
// parameters, initialisation, calibration), then exchanges of a request
// chunk and a reply chunk.
#include "fuzz/fuzzinput.h"
#include "fuzz/roundtrip.h"
#include "fuzz/targets.h"
#include "fuzz/windowchecks.h"
#include "kz827/alarms.h"
#include "kz827/calibration.h"
#include "kz827/range.h"
#include "kz827/measurement.h"
#include "core/codecs.h"

#include <cmath>

namespace fuzz {

namespace {

namespace cal = kz827::calibration;

// A settings window's upload (decode and encode of its block), when whole:
// what it shows goes down again, or is refused with a message; once down, a
// further upload and download shows the same (same(x, y)).
template <typename Decode, typename Encode, typename Same>
void CheckRoundTrip(const modbus::Exchange &ex, std::uint16_t first, int bytes, const char *path, Decode decode,
                    Encode encode, Same same)
{
    const auto shown = decode(ex.Data());
    if (!IsUpload(ex, first, bytes))
        return;
    Reached(path);
    QString error;
    const auto down = encode(shown, &error);
    FUZZ_CHECK(down ? down->size() == bytes : !error.isEmpty());
    if (!down)
        return;
    const auto again = decode(*down);
    const auto second = encode(again, &error);
    FUZZ_CHECK(second.has_value());
    FUZZ_CHECK(same(decode(*second), again));
}

class Windows {
public:
    void Handle(int window, std::uint8_t, const modbus::Exchange &ex)
    {
        switch (window) {
        case 0:
            if (const auto texts = kz827::DecodeMeasurement(ex)) {
                Reached("kz827.measurement");
                for (const QString &t : *texts)
                    FUZZ_CHECK(!t.isEmpty());
            }
            for (auto q : {kz827::Quantity::Voltage, kz827::Quantity::Current, kz827::Quantity::Power})
                FUZZ_CHECK(!kz827::MeasuredText(ex.Data(), q).isEmpty());
            break;
        case 1:
            CheckRoundTrip(ex, kz827::kAlarmFirst, kz827::kAlarmBytes, "kz827.alarms", kz827::DecodeAlarms,
                           kz827::EncodeAlarms, SameAlarms);
            break;
        case 2:
            // Range settings are the same when they go down as the same bytes.
            CheckRoundTrip(ex, kz827::kRangeFirst, kz827::kRangeBytes, "kz827.range", kz827::DecodeRange,
                           kz827::EncodeRange, [](const kz827::RangeSettings &x, const kz827::RangeSettings &y) {
                               QString error;
                               return kz827::EncodeRange(x, &error) == kz827::EncodeRange(y, &error);
                           });
            break;
        default: {
            const QByteArray &reply = ex.reply;
            if (!cal::IsCalibrationFrame(reply))
                break;
            if (cal::IsAcknowledgement(reply)) {
                Reached("kz827.calibration.ack");
            } else if (const auto reading = cal::DecodeRead(reply)) {
                Reached("kz827.calibration.read");
                histories_.Push(*reading);
                const cal::Quantities q = histories_.Compute();
                FUZZ_CHECK(std::isfinite(q.volts) && std::isfinite(q.amps) && std::isfinite(q.watts));
                (void)FormatFixed(q.watts, 4);
            }
            break;
        }
        }
    }

private:
    cal::Histories histories_;
};

} // namespace

int FuzzKz827(const std::uint8_t *data, std::size_t size)
{
    return FeedWindows<Windows, modbus::Exchange, false>(data, size, 4);
}

} // namespace fuzz
