#include "ui/settingswindow.h"

#include "ui/fieldform.h"
#include "ui/messagebox.h"
#include "ui/settingsfile.h"

namespace ui {

SettingsWindow::SettingsWindow(SerialLink &link, Family family, const char *className, SettingsBlock block,
                               SettingsTexts texts, QWidget *parent)
    : FamilyWindow(link, family, className, parent), block_(block), texts_(texts)
{
}

void SettingsWindow::clearControls()
{
    if (form_.form && !form_.cleared.isEmpty())
        form_.form->SetValues(form_.cleared);
}

std::optional<QByteArray> SettingsWindow::encodeControls()
{
    if (codec_.encode) {
        QString why;
        std::optional<QByteArray> data = codec_.encode(&why);
        if (!data)
            ShowMessage(this, why);
        return data;
    }
    if (!form_.form)
        return std::nullopt;
    const FieldForm &form = *form_.form;
    return Downloadable(form_.focusRefused ? form.Encode(block_.Bytes())
                                           : fields::Encode(form.Table(), form.Values(), block_.Bytes()));
}

void SettingsWindow::showBlock(const QByteArray &data)
{
    if (codec_.show)
        codec_.show(data);
    else if (form_.form)
        form_.form->Decode(data);
}

void SettingsWindow::UseFile(backup::Catalog catalog, const QString &key)
{
    const QList<backup::Block> &list = catalog(*WindowFamily());
    for (qsizetype i = 0; i < list.size(); ++i)
        if (list[i].key == key)
            AddSettingsFile(this, catalog,
                            {{int(i), [this] { return encodeControls(); },
                              [this](const QByteArray &data) { showBlock(data); }}});
}

void SettingsWindow::upload()
{
    clearControls();
    ReadBlock(block_.first, block_.registers);
}

void SettingsWindow::download()
{
    if (const std::optional<QByteArray> data = encodeControls())
        WriteBlock(block_.first, block_.registers, *data);
}

void SettingsWindow::onReply(const modbus::Exchange &exchange)
{
    if (exchange.IsEmpty())
        return;
    if (exchange.Function() == 0x03) {
        // Another size, or a read of something else, changes nothing.
        if (!exchange.IsReadOf(0x03, block_.Bytes()) || exchange.RequestStart() != block_.first)
            return;
        showBlock(exchange.Data());
        if (texts_.uploaded)
            ShowMessage(this, QString::fromUtf8(texts_.uploaded));
    } else if (exchange.IsEchoOf(0x10)) {
        ShowMessage(this, QString::fromUtf8(texts_.downloaded));
    } else if (texts_.failed) {
        ShowMessage(this, QString::fromUtf8(texts_.failed));
    }
}

} // namespace ui
