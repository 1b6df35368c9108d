#include "threephase/measurement.h"

#include "core/codecs.h"
#include "link/crc.h"

namespace threephase {

namespace {

QByteArray readRequest(std::uint8_t address, std::uint16_t start, std::uint16_t count)
{
    QByteArray frame;
    frame.append(static_cast<char>(address));
    frame.append(char(0x03));
    frame.append(static_cast<char>(start >> 8));
    frame.append(static_cast<char>(start & 0xFF));
    frame.append(static_cast<char>(count >> 8));
    frame.append(static_cast<char>(count & 0xFF));
    AppendCrc(frame);
    return frame;
}

std::uint8_t byteOr0(const QByteArray &data, int offset)
{
    return offset < data.size() ? static_cast<std::uint8_t>(data.at(offset)) : 0;
}

int ratioAt(const QByteArray &params, int offset)
{
    const int value = BcdValue(byteOr0(params, offset), byteOr0(params, offset + 1));
    return value == 0 ? 1 : value;
}

// Indexes into the box list below.
enum Box {
    EditVa, EditVb, EditVc, EditVab, EditVbc, EditVca, EditVphAvg, EditVlnAvg,
    CurA, CurB, CurC, CurAvg, CurZero, Freq,
    PA, PB, PC, PTotal,
    QA, QB, QC, QTotal,
    SA, SB, SC, STotal,
    PfA, PfB, PfC, PfTotal,
    EpTotal, EqTotal, EpForward, EpReverse, EqForward, EqReverse,
};
static_assert(EqReverse + 1 == kMeasurementBoxes);

constexpr int kMeasurementWords = 54;

} // namespace

const std::array<const char *, kMeasurementBoxes> kMeasurementBoxNames = {
    "Edit1", "Edit2", "Edit3", "Edit4", "Edit5", "Edit6", "Edit7", "Edit8",
    "LabeledEdit1", "LabeledEdit2", "LabeledEdit3", "LabeledEdit4", "LabeledEdit5", "LabeledEdit6",
    "LabeledEdit7", "LabeledEdit8", "LabeledEdit9", "LabeledEdit10",
    "LabeledEdit11", "LabeledEdit12", "LabeledEdit13", "LabeledEdit14",
    "LabeledEdit15", "LabeledEdit16", "LabeledEdit17", "LabeledEdit18",
    "LabeledEdit19", "LabeledEdit20", "LabeledEdit21", "LabeledEdit22",
    "LabeledEdit23", "LabeledEdit24", "LabeledEdit27", "LabeledEdit28", "LabeledEdit29", "LabeledEdit30",
};

const std::array<const char *, kMeasurementBoxes> kMeasurementBoxCaptions = {
    QT_TRANSLATE_NOOP("kz", "A相电压"), QT_TRANSLATE_NOOP("kz", "B相电压"), QT_TRANSLATE_NOOP("kz", "C相电压"), QT_TRANSLATE_NOOP("kz", "AB相电压"), QT_TRANSLATE_NOOP("kz", "BA相电压"), QT_TRANSLATE_NOOP("kz", "CA相电压"), QT_TRANSLATE_NOOP("kz", "相平均电压"), QT_TRANSLATE_NOOP("kz", "线平均电压"),
    QT_TRANSLATE_NOOP("kz", "A相电流"), QT_TRANSLATE_NOOP("kz", "B相电流"), QT_TRANSLATE_NOOP("kz", "C相电流"), QT_TRANSLATE_NOOP("kz", "相平均电流"), QT_TRANSLATE_NOOP("kz", "零序电流"), QT_TRANSLATE_NOOP("kz", "相频率"),
    QT_TRANSLATE_NOOP("kz", "A相有功功率"), QT_TRANSLATE_NOOP("kz", "B相有功功率"), QT_TRANSLATE_NOOP("kz", "C相有功功率"), QT_TRANSLATE_NOOP("kz", "合相有功功率"),
    QT_TRANSLATE_NOOP("kz", "A相无功功率"), QT_TRANSLATE_NOOP("kz", "B相无功功率"), QT_TRANSLATE_NOOP("kz", "C相无功功率率"), QT_TRANSLATE_NOOP("kz", "合相无功功率"),
    QT_TRANSLATE_NOOP("kz", "A相视在功率"), QT_TRANSLATE_NOOP("kz", "B相视在功率"), QT_TRANSLATE_NOOP("kz", "C相视在功率"), QT_TRANSLATE_NOOP("kz", "合相视在功率"),
    QT_TRANSLATE_NOOP("kz", "A相功率因数"), QT_TRANSLATE_NOOP("kz", "B相功率因数"), QT_TRANSLATE_NOOP("kz", "C相功率因数"), QT_TRANSLATE_NOOP("kz", "合相功率因数"),
    QT_TRANSLATE_NOOP("kz", "有功总电能"), QT_TRANSLATE_NOOP("kz", "无功总电能"), QT_TRANSLATE_NOOP("kz", "正向有功电能"), QT_TRANSLATE_NOOP("kz", "反向有功电能"), QT_TRANSLATE_NOOP("kz", "正向无功电能"), QT_TRANSLATE_NOOP("kz", "反向无功电能"),
};

QByteArray RatioRequest(std::uint8_t address)
{
    return readRequest(address, kRatioFirst, kRatioRegisters);
}

QByteArray MeasurementPoll(std::uint8_t address)
{
    return readRequest(address, kMeasurementFirst, kMeasurementRegisters);
}

Ratios DecodeRatios(const QByteArray &params)
{
    Ratios r;
    r.wiring = byteOr0(params, 1);
    r.pt = ratioAt(params, 2);
    r.ct = ratioAt(params, 6);
    r.voltageLarge = byteOr0(params, 5) != 0;
    r.currentLarge = byteOr0(params, 9) != 0;
    r.activeLarge = byteOr0(params, 11) != 0;
    r.reactiveLarge = byteOr0(params, 13) != 0;
    r.apparentLarge = byteOr0(params, 15) != 0;
    r.activeEnergyLarge = byteOr0(params, 17) != 0;
    r.reactiveEnergyLarge = byteOr0(params, 19) != 0;
    return r;
}

MeasurementTexts DecodeMeasurement(const QByteArray &frame, const QByteArray &params)
{
    return DecodeMeasurementData(frame.mid(3), params);
}

MeasurementTexts DecodeMeasurementData(const QByteArray &reply, const QByteArray &params)
{
    const Ratios r = DecodeRatios(params);
    const double pt = r.pt;
    const double ct = r.ct;

    // The data are read word by word; words past their end read as zeros,
    // as TakeWordBE does (the frame form reads a short reply's CRC bytes as
    // data first).
    QByteArray data = reply;
    std::array<std::uint16_t, kMeasurementWords> w{};
    for (auto &word : w)
        word = TakeWordBE(data);
    auto s16 = [&w](int i) { return static_cast<double>(static_cast<std::int16_t>(w[i])); };
    auto u16 = [&w](int i) { return static_cast<double>(w[i]); };
    auto energy = [&w](int first) {
        std::uint64_t v = 0;
        for (int i = 0; i < 4; ++i)
            v = v << 16 | w[first + i];
        return static_cast<double>(static_cast<std::int64_t>(v)) / 100;
    };

    MeasurementTexts out;
    auto &t = out.text;

    // Voltages: four-wire (2) shows the phase voltages, anything else the
    // line voltages; three-wire (1) puts them in the line boxes.
    const int src[4] = {r.wiring == 2 ? 0 : 3, r.wiring == 2 ? 1 : 4, r.wiring == 2 ? 2 : 5,
                        r.wiring == 2 ? 6 : 7};
    const int phaseBoxes[4] = {EditVa, EditVb, EditVc, EditVphAvg};
    const int lineBoxes[4] = {EditVab, EditVbc, EditVca, EditVlnAvg};
    const int *shown = r.wiring == 1 ? lineBoxes : phaseBoxes;
    const int *emptied = r.wiring == 1 ? phaseBoxes : lineBoxes;
    for (int i = 0; i < 4; ++i) {
        t[shown[i]] = ScaledText(u16(src[i]) * pt / 10, r.voltageLarge, 2, 2, "V", "KV");
        t[emptied[i]].clear();
    }

    auto current = [&](int word) { return ScaledText(u16(word) * ct / 1000, r.currentLarge, 3, 3, "A", "KA"); };
    t[CurA] = current(8);
    t[CurB] = current(9);
    t[CurC] = current(10);
    t[CurZero] = current(11);
    t[CurAvg] = current(12);

    for (int i = 0; i < 4; ++i)
        t[PfA + i] = FormatFixed(s16(13 + i) / 1000, 3);

    t[Freq] = FormatFixed(u16(17) / 100, 3) + QStringLiteral("Hz");

    for (int i = 0; i < 4; ++i) {
        t[PA + i] = ScaledText(s16(18 + i) * pt * ct / 1000, r.activeLarge, 3, 3, "KW", "MW");
        // Reactive power is in var (no division), hence Kvar as large unit.
        t[QA + i] = ScaledText(s16(22 + i) * pt * ct, r.reactiveLarge, 3, 3, "var", "Kvar");
        t[SA + i] = ScaledText(s16(26 + i) * pt * ct / 1000, r.apparentLarge, 3, 3, "KVA", "MVA");
    }

    auto active = [&](int first) { return ScaledText(energy(first), r.activeEnergyLarge, 2, 3, "KW.h", "MW.h"); };
    auto reactive = [&](int first) {
        return ScaledText(energy(first), r.reactiveEnergyLarge, 2, 3, "Kvar.h", "Mvar.h");
    };
    t[EpTotal] = active(30);
    t[EpForward] = active(34);
    t[EpReverse] = active(38);
    t[EqTotal] = reactive(42);
    t[EqForward] = reactive(46);
    t[EqReverse] = reactive(50);
    return out;
}

ReplyOutcome HandleReply(const QByteArray &frame, QByteArray &params)
{
    ReplyOutcome outcome;
    // Only read replies carry a byte count; anything else in the slot (an
    // echo whose register address happens to look like a count) is ignored.
    if (frame.size() < 3 || static_cast<std::uint8_t>(frame.at(1)) != 0x03)
        return outcome;
    if (frame.size() > 80 && !params.isEmpty()) {
        outcome.kind = ReplyOutcome::Measurement;
        outcome.texts = DecodeMeasurement(frame, params);
    } else if (static_cast<std::uint8_t>(frame.at(2)) == 20) {
        params = frame.mid(3);
        outcome.kind = ReplyOutcome::RatiosStored;
    }
    return outcome;
}

} // namespace threephase
