// A settings file as kzctl and the 配置文件 window read it: the input is the
// file's text, parsed as JSON and read with every family's blocks.
// Checks: a refusal says why; a backup read has one entry per block of its
// family; written out again and read back it holds the same data, compares
// equal to itself, and what it would restore encodes or is refused with a
// reason.
#include "core/backup.h"
#include "fuzz/fuzzinput.h"
#include "fuzz/targets.h"
#include "settings/blocks.h"

#include <QJsonDocument>

namespace fuzz {

int FuzzSettingsFile(const std::uint8_t *data, std::size_t size)
{
    const QJsonDocument document =
        QJsonDocument::fromJson(QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size)));
    if (!document.isObject())
        return 0;
    Reached("settingsfile.json");
    QString error;
    const auto read = backup::Parse(&settings::Blocks, document.object(), &error);
    if (!read) {
        FUZZ_CHECK(!error.isEmpty());
        return 0;
    }
    Reached("settingsfile.read");
    const qsizetype blocks = settings::Blocks(read->family).size();
    FUZZ_CHECK(read->raw.size() == blocks && read->values.size() == blocks);

    const QJsonObject again = backup::Document(&settings::Blocks, read->family, read->address, read->raw);
    QString why;
    const auto reread = backup::Parse(&settings::Blocks, again, &why);
    FUZZ_CHECK(reread.has_value());
    FUZZ_CHECK(reread->family == read->family && reread->address == read->address && reread->raw == read->raw);
    FUZZ_CHECK(backup::Compare(&settings::Blocks, *reread, *reread).isEmpty());

    QStringList refusals;
    if (!backup::EncodeForRestore(&settings::Blocks, *read, &refusals))
        FUZZ_CHECK(!refusals.isEmpty());
    else
        Reached("settingsfile.encoded");
    return 0;
}

} // namespace fuzz
