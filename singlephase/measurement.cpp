#include "singlephase/measurement.h"

#include "core/codecs.h"

namespace singlephase::measurement {

namespace {

std::uint8_t byteOr0(const QByteArray &data, int offset)
{
    return offset < data.size() ? static_cast<std::uint8_t>(data.at(offset)) : 0;
}

double ratioAt(const QByteArray &setup, int offset)
{
    const int v = byteOr0(setup, offset) << 8 | byteOr0(setup, offset + 1);
    return v == 0 ? 1 : v;
}

} // namespace

const std::array<const char *, kBoxes> kBoxNames = {
    "Edit1", "Edit2", "Edit3", "Edit4", "Edit5", "Edit6", "Edit7",
    "LabeledEdit8", "LabeledEdit9", "LabeledEdit10", "LabeledEdit11", "LabeledEdit12", "LabeledEdit13",
};

const std::array<const char *, kBoxes> kBoxCaptions = {
    QT_TRANSLATE_NOOP("kz", "电压"), QT_TRANSLATE_NOOP("kz", "电流"), QT_TRANSLATE_NOOP("kz", "频率"), QT_TRANSLATE_NOOP("kz", "功率因数"), QT_TRANSLATE_NOOP("kz", "有功功率"), QT_TRANSLATE_NOOP("kz", "无功功率"), QT_TRANSLATE_NOOP("kz", "视在功率"),
    QT_TRANSLATE_NOOP("kz", "有功总电能"), QT_TRANSLATE_NOOP("kz", "正向有功电能"), QT_TRANSLATE_NOOP("kz", "反向有功电能"), QT_TRANSLATE_NOOP("kz", "无功总电能"), QT_TRANSLATE_NOOP("kz", "正向无功电能"), QT_TRANSLATE_NOOP("kz", "反向无功电能"),
};

QByteArray SetupRequest(std::uint8_t address)
{
    return modbus::ReadRegisters(address, kSetupRegister, kSetupRegisters);
}

QByteArray MeasurementRequest(std::uint8_t address)
{
    return modbus::ReadRegisters(address, kMeasurementRegister, kMeasurementRegisters);
}

Texts Decode(const QByteArray &data, const QByteArray &setup)
{
    const double vr = ratioAt(setup, 4);
    const double cr = ratioAt(setup, 6);
    const auto flag = [&setup](int offset) { return byteOr0(setup, offset) != 0; };

    QByteArray rest = data;
    std::array<double, 7> w{};
    for (double &v : w)
        v = static_cast<std::int16_t>(TakeWordBE(rest));
    const auto energy = [&rest] {
        std::uint64_t v = 0;
        for (int i = 0; i < 4; ++i)
            v = v << 16 | TakeWordBE(rest);
        return static_cast<double>(static_cast<std::int64_t>(v)) / 100;
    };

    Texts out;
    auto &t = out.text;
    t[0] = ScaledText(w[0] * vr / 10, flag(3), 3, 3, "V", "KV");
    t[1] = ScaledText(w[1] * cr / 1000, false, 3, 3, "A", "KA");
    t[2] = FormatFixed(w[2] / 100, 2) + QStringLiteral("Hz");
    t[3] = FormatFixed(w[3] / 1000, 3);
    t[4] = ScaledText(w[4] * cr * vr, flag(9), 3, 3, "W", "KW");
    t[5] = ScaledText(w[5] * cr * vr, flag(11), 3, 3, "var", "Kvar");
    t[6] = ScaledText(w[6] * cr * vr, flag(13), 3, 3, "VA", "KVA");
    for (int i = 7; i < 10; ++i)
        t[i] = ScaledText(energy(), flag(15), 2, 3, "KW.h", "MW.h");
    for (int i = 10; i < 13; ++i)
        t[i] = ScaledText(energy(), flag(17), 2, 3, "Kvar.h", "Mvar.h");
    return out;
}

Outcome HandleReply(const modbus::Exchange &exchange, QByteArray &setup)
{
    Outcome outcome;
    if (exchange.Answers(kSetupRegister, kSetupBytes)) {
        setup = exchange.Data();
        outcome.kind = Outcome::SetupStored;
    } else if (exchange.Answers(kMeasurementRegister, kMeasurementBytes) && !setup.isEmpty()) {
        outcome.kind = Outcome::Measurement;
        outcome.texts = Decode(exchange.Data(), setup);
    }
    return outcome;
}

} // namespace singlephase::measurement
