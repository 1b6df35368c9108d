#include "ui/settingswindow.h"

#include "core/energybase.h"
#include "ui/fieldform.h"
#include "ui/messagebox.h"
#include "ui/settingsfile.h"

#include <QLineEdit>

namespace ui {

SettingsWindow::SettingsWindow(SerialLink &link, Family family, const char *className, QWidget *parent)
    : FamilyWindow(link, family, className, parent)
{
}

SettingsWindow::SettingsWindow(SerialLink &link, Family family, const char *className, SettingsBlock block,
                               SettingsTexts texts, QWidget *parent)
    : FamilyWindow(link, family, className, parent)
{
    AddBlock({.block = block, .texts = texts});
}

SettingsWindow::BlockCodec SettingsWindow::EnergyBaseCodec(const EnergyBaseGroup &group)
{
    QLineEdit *active = group.active;
    QLineEdit *reactive = group.reactive;
    return {[active, reactive](QString *why) -> std::optional<QByteArray> {
                const fields::Encoded encoded = energybase::EncodeBases(active->text(), reactive->text());
                if (encoded.ok())
                    return encoded.data;
                (encoded.field == 0 ? active : reactive)->setFocus();
                *why = encoded.error;
                return std::nullopt;
            },
            [active, reactive](const QByteArray &data) {
                const std::array<QString, 2> texts = energybase::DecodeBases(data);
                active->setText(texts[0]);
                reactive->setText(texts[1]);
            }};
}

int SettingsWindow::AddBlock(Entry entry)
{
    entries_.append(std::move(entry));
    return int(entries_.size() - 1);
}

int SettingsWindow::chosen()
{
    return chosen_ ? chosen_() : 0;
}

std::optional<QByteArray> SettingsWindow::encode(int entry)
{
    const Entry &e = entries_[entry];
    if (e.codec.encode) {
        QString why;
        std::optional<QByteArray> data = e.codec.encode(&why);
        if (!data)
            ShowMessage(this, why);
        return data;
    }
    if (!e.form.form)
        return std::nullopt;
    const FieldForm &form = *e.form.form;
    const int bytes = e.block.Bytes();
    return Downloadable(e.form.focusRefused ? form.Encode(bytes) : fields::Encode(form.Table(), form.Values(), bytes));
}

void SettingsWindow::showBlock(int entry, const QByteArray &data)
{
    const Entry &e = entries_[entry];
    if (e.codec.show)
        e.codec.show(data);
    else if (e.form.form)
        e.form.form->Decode(data);
}

void SettingsWindow::tellUpload(int entry, const char *text)
{
    if (!text)
        return;
    const Entry &e = entries_[entry];
    if (e.tellUpload)
        e.tellUpload(QString::fromUtf8(text));
    else
        ShowMessage(this, QString::fromUtf8(text));
}

void SettingsWindow::UseFiles(backup::Catalog catalog, const QStringList &keys)
{
    const QList<backup::Block> &list = catalog(*WindowFamily());
    const auto fileBlock = [this, &list, keys](int entry) -> std::optional<FileBlock> {
        if (entry < 0 || entry >= keys.size() || keys[entry].isEmpty())
            return std::nullopt;
        for (qsizetype i = 0; i < list.size(); ++i)
            if (list[i].key == keys[entry])
                return FileBlock{int(i), [this, entry] { return encode(entry); },
                                 [this, entry](const QByteArray &data) { showBlock(entry, data); }};
        return std::nullopt;
    };
    QList<FileBlock> all;
    for (int i = 0; i < int(entries_.size()); ++i)
        if (const auto block = fileBlock(i))
            all.append(*block);
    AddSettingsFile(this, catalog, [this, all, fileBlock]() -> QList<FileBlock> {
        if (!chosen_)
            return all;
        const auto block = fileBlock(chosen());
        return block ? QList<FileBlock>{*block} : QList<FileBlock>{};
    });
}

void SettingsWindow::upload()
{
    if (const int entry = chosen(); entry >= 0)
        upload(entry);
}

void SettingsWindow::download()
{
    if (const int entry = chosen(); entry >= 0)
        download(entry);
}

void SettingsWindow::upload(int entry)
{
    const Entry &e = entries_[entry];
    if (e.beforeSend)
        e.beforeSend();
    if (e.form.form && !e.form.cleared.isEmpty())
        e.form.form->SetValues(e.form.cleared);
    if (e.beforeUpload)
        e.beforeUpload();
    const int upload = ++uploads_[entry];
    const auto failed = [this, entry, upload](modbus::Reply::Error error) {
        // Another window took the replies, or nothing went out: the link
        // has said so already. An upload of the block sent since tells
        // how the block's upload went.
        if (error == modbus::Reply::Error::NotTaken || error == modbus::Reply::Error::NotSent ||
            upload != uploads_[entry])
            return;
        tellUpload(entry, entries_[entry].texts.failed);
    };
    Read(
        e.block,
        [this, entry](const QByteArray &data) {
            showBlock(entry, data);
            tellUpload(entry, entries_[entry].texts.uploaded);
        },
        {.failed = failed, .timeoutMs = e.uploadTimeoutMs});
}

void SettingsWindow::download(int entry)
{
    const Entry &e = entries_[entry];
    if (e.beforeSend)
        e.beforeSend();
    const std::optional<QByteArray> data = encode(entry);
    if (!data)
        return;
    // A meter that answers the download with anything but its echo (an
    // exception among them) is told as the block's failure.
    const auto failed = [this, entry](modbus::Reply::Error error) {
        if (error == modbus::Reply::Error::BadFrame || error == modbus::Reply::Error::Exception)
            if (const char *text = entries_[entry].texts.downloadFailed)
                ShowMessage(this, QString::fromUtf8(text));
    };
    Write(
        e.block, *data,
        [this, entry] {
            if (const char *text = entries_[entry].texts.downloaded)
                ShowMessage(this, QString::fromUtf8(text));
        },
        {.failed = failed});
}

} // namespace ui
