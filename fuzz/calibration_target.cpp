// The calibration computations. Input: a family byte (modulo 3: three-phase
// module, single-phase meter, KZ827KVE), then steps of one byte (modulo 4):
//   0 a read reply chunk (or acknowledgement) the window takes
//   1 a point byte and a reference text: "计  算"
//   2 a correction text: the word a write would send
//   3 eight bytes taken as a double K: its correction word
#include "fuzz/fuzzinput.h"
#include "fuzz/targets.h"
#include "kz827/calibration.h"
#include "core/calibrationengine.h"
#include "singlephase/calibration.h"
#include "threephase/calibration.h"

#include <cmath>
#include <cstring>
#include <memory>

namespace fuzz {

namespace {

namespace cal = kz827::calibration;

bool IsWordText(const QString &text)
{
    if (text.size() != 6)
        return false;
    for (QChar c : text)
        if (!c.isDigit() && (c < QLatin1Char('A') || c > QLatin1Char('F')))
            return false;
    return true;
}

void CheckWordText(const QString &text)
{
    const auto word = calib::CorrectionWord(text);
    if (!word)
        return;
    FUZZ_CHECK(*word <= 0xFFFFFF);
    // The six digits shown for a word read back as that word.
    FUZZ_CHECK(calib::CorrectionWord(calib::WordText(*word)) == word);
}

void CheckEncoding(double k)
{
    const auto word = calib::EncodeCorrection(k);
    if (!word)
        return;
    Reached("calibration.encoded");
    // Never the ambiguous 0x800000, and within half a step of K.
    FUZZ_CHECK(*word <= 0xFFFFFF && *word != calib::kHalf);
    FUZZ_CHECK(std::fabs(calib::Signed24(*word) / 8388608.0 - k) <= 0.5 / 8388608.0 + 1e-12);
}

void Family(Input &in, calib::Decoder &decoder)
{
    calib::Engine engine(decoder);
    while (!in.Empty()) {
        switch (in.Byte() % 4) {
        case 0:
            if (engine.Take(in.Chunk()) == calib::Engine::Reply::Read)
                Reached("calibration.read");
            break;
        case 1: {
            const int point = static_cast<int>(in.Byte()) - 1;
            const calib::Computed c = engine.Compute(point, in.Text());
            if (c.ok()) {
                Reached("calibration.computed");
                FUZZ_CHECK(IsWordText(c.word) && c.message.isEmpty());
                FUZZ_CHECK(calib::CorrectionWord(c.word) != calib::kHalf);
            }
            break;
        }
        case 2:
            CheckWordText(in.Text());
            break;
        default: {
            const QByteArray raw = in.Chunk().leftJustified(8, '\0', true);
            double k = 0;
            std::memcpy(&k, raw.constData(), sizeof k);
            CheckEncoding(k);
            break;
        }
        }
    }
}

void Kz827(Input &in)
{
    cal::Histories histories;
    while (!in.Empty()) {
        switch (in.Byte() % 4) {
        case 0:
            if (const auto reading = cal::DecodeRead(in.Chunk())) {
                Reached("calibration.kz827.read");
                histories.Push(*reading);
            }
            break;
        case 1: {
            const int item = static_cast<int>(in.Byte() % (cal::kItems + 2)) - 1;
            const cal::Computed c = cal::ComputeCoefficient(item, in.Text(), histories.Compute());
            if (!c.ok())
                break;
            Reached("calibration.kz827.computed");
            const auto data = cal::CoefficientData(c.coefficient);
            FUZZ_CHECK(data.has_value() && *data <= 0xFFFFFF);
            FUZZ_CHECK(item == cal::kPhase || *data > 0);
            break;
        }
        case 2:
            if (const auto data = cal::CoefficientData(in.Text()))
                FUZZ_CHECK(*data <= 0xFFFFFF);
            break;
        default: {
            // Readings straight from bytes: any raw values give finite
            // quantities.
            const QByteArray raw = in.Chunk().leftJustified(12, '\0', true);
            cal::Reading r;
            std::uint32_t *values[] = {&r.voltage, &r.current, &r.power, &r.scale};
            for (int i = 0; i < 4; ++i)
                *values[i] = static_cast<std::uint32_t>(static_cast<std::uint8_t>(raw.at(3 * i))) << 16 |
                             static_cast<std::uint8_t>(raw.at(3 * i + 1)) << 8 |
                             static_cast<std::uint8_t>(raw.at(3 * i + 2));
            histories.Push(r);
            const cal::Quantities q = histories.Compute();
            FUZZ_CHECK(std::isfinite(q.volts) && std::isfinite(q.amps) && std::isfinite(q.watts));
            break;
        }
        }
    }
}

} // namespace

int FuzzCalibration(const std::uint8_t *data, std::size_t size)
{
    Input in(data, size);
    switch (in.Byte() % 3) {
    case 0: {
        threephase::calibration::Decoder decoder;
        Family(in, decoder);
        break;
    }
    case 1: {
        singlephase::calibration::Decoder decoder;
        Family(in, decoder);
        break;
    }
    default:
        Kz827(in);
        break;
    }
    return 0;
}

} // namespace fuzz
