#include "core/calibrationreply.h"

#include "core/codecs.h"

namespace calib {

namespace {
constexpr double kPowerScale = 256.0;
constexpr double kRmsScale = 8192.0;
constexpr double kFactorScale = 8388608.0;
constexpr int kValueBytes = 3;
} // namespace

void PhaseDecoder::Take(QByteArray values)
{
    const int factors = layout_.factors;
    std::array<std::uint32_t, 8> signs{}; // sign values, then their partners
    for (int k = 0; k < 2 * factors; ++k)
        signs[k] = TakeValue24(values);
    for (int k = 0; k < layout_.phases; ++k)
        power_[k].Push(Signed24(signs[k]) / kPowerScale);
    values.remove(0, kValueBytes * layout_.skipBeforeRms);
    for (int k = 0; k < 2 * layout_.phases; ++k)
        rms_[k].Push(Signed24(TakeValue24(values)) / kRmsScale);
    values.remove(0, kValueBytes * layout_.skipBeforeFactors);
    for (int k = 0; k < factors; ++k) {
        const double pf = Signed24(TakeValue24(values)) / kFactorScale;
        powerFactor_[k] = SignsDiffer(signs[k], signs[k + factors]) ? -pf : pf;
    }
    hertz_ = TakeValue24(values) / kRmsScale;
}

QStringList PhaseDecoder::Texts() const
{
    QStringList texts;
    for (int i = 0; i < 2 * layout_.phases; ++i)
        texts << FormatFixed(Rms(i), 4) + QLatin1Char(i < layout_.phases ? 'V' : 'A');
    for (int k = 0; k < layout_.phases; ++k)
        texts << FormatFixed(power_[k].Mean(), 4) + QLatin1Char('W');
    for (int k = 0; k < layout_.factors; ++k)
        texts << FormatFixed(powerFactor_[k], 4);
    texts << FormatFixed(hertz_, 2) + QStringLiteral("Hz");
    return texts;
}

double PhaseDecoder::Reading(int which) const
{
    if (which >= 0 && which < layout_.phases)
        return power_[which].Mean();
    if (which >= layout_.phases && which < 3 * layout_.phases)
        return Rms(which - layout_.phases);
    return 0;
}

double PhaseDecoder::Latest(int which) const
{
    if (which >= 0 && which < layout_.phases)
        return power_[which].Last();
    if (which >= layout_.phases && which < 3 * layout_.phases)
        return rms_[which - layout_.phases].Last();
    return 0;
}

} // namespace calib
