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
        case 1: {
            const kz827::AlarmSettings shown = kz827::DecodeAlarms(ex.Data());
            if (!IsUpload(ex, kz827::kAlarmFirst, kz827::kAlarmBytes))
                break;
            Reached("kz827.alarms");
            // What an upload shows goes down again, or is refused with a
            // message; once down, a further upload and download is the same.
            QString error;
            const auto down = kz827::EncodeAlarms(shown, &error);
            FUZZ_CHECK(down ? down->size() == kz827::kAlarmBytes : !error.isEmpty());
            if (!down)
                break;
            const kz827::AlarmSettings again = kz827::DecodeAlarms(*down);
            const auto second = kz827::EncodeAlarms(again, &error);
            FUZZ_CHECK(second.has_value());
            FUZZ_CHECK(SameAlarms(kz827::DecodeAlarms(*second), again));
            break;
        }
        case 2: {
            const kz827::RangeSettings shown = kz827::DecodeRange(ex.Data());
            if (!IsUpload(ex, kz827::kRangeFirst, kz827::kRangeBytes))
                break;
            Reached("kz827.range");
            QString error;
            const auto down = kz827::EncodeRange(shown, &error);
            FUZZ_CHECK(down ? down->size() == kz827::kRangeBytes : !error.isEmpty());
            if (down) {
                const auto again = kz827::EncodeRange(kz827::DecodeRange(*down), &error);
                FUZZ_CHECK(again.has_value());
                const auto third = kz827::EncodeRange(kz827::DecodeRange(*again), &error);
                FUZZ_CHECK(third && *third == *again);
            }
            break;
        }
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
