#include "ui/settingsfile.h"

#include "core/tr.h"

#include "ui/familywindow.h"
#include "ui/fieldform.h"
#include "ui/messagebox.h"

#include <QBoxLayout>
#include <QFileDialog>
#include <QPushButton>

namespace ui {
namespace {

FileAnswer &Answer()
{
    static FileAnswer answer;
    return answer;
}

const QString kFilter = QStringLiteral(QT_TRANSLATE_NOOP("kz", "配置文件 (*.json);;所有文件 (*)"));

QString BlockName(const backup::Block &b) { return QStringLiteral("“%1”（%2）").arg(b.title, b.key); }

void Save(FamilyWindow *window, backup::Catalog catalog, const QList<FileBlock> &blocks)
{
    if (blocks.isEmpty())
        return;
    const Family family = *window->WindowFamily();
    const QList<backup::Block> &list = catalog(family);
    // Every block first: a value that cannot be sent is told, nothing saved.
    QList<QByteArray> data(list.size());
    for (const FileBlock &b : blocks) {
        const std::optional<QByteArray> bytes = b.encode();
        if (!bytes)
            return;
        data[b.index] = *bytes;
    }
    // A file is of one meter: kzctl restores it there, and a later save
    // adds to it only for that meter. 0 (every meter) is no such address.
    const int address = window->Address();
    if (address < backup::kFirstAddress || address > backup::kLastAddress) {
        ShowMessage(window, kz::Tr(QT_TRANSLATE_NOOP("kz", "未保存：配置文件属于一台仪表，仪表地址须为 %1～%2（现为 %3）。"))
                                .arg(backup::kFirstAddress)
                                .arg(backup::kLastAddress)
                                .arg(address));
        return;
    }
    const QString path = AskFileName(window, FileChoice::Save, QStringLiteral(QT_TRANSLATE_NOOP("kz", "保存到文件")),
                                     QStringLiteral("%1-%2.json").arg(FamilyName(family)).arg(address));
    if (path.isEmpty())
        return;
    QString error;
    if (!backup::SaveBlocks(catalog, path, family, address, data, &error)) {
        ShowMessage(window, kz::Tr(QT_TRANSLATE_NOOP("kz", "未保存：%1")).arg(error));
        return;
    }
    QStringList names;
    for (const FileBlock &b : blocks)
        names << BlockName(list[b.index]);
    ShowMessage(window, kz::Tr(QT_TRANSLATE_NOOP("kz", "已保存到 %1：%2")).arg(path, names.join(QStringLiteral("、"))));
}

void Load(FamilyWindow *window, backup::Catalog catalog, const QList<FileBlock> &blocks)
{
    if (blocks.isEmpty())
        return;
    const QString path = AskFileName(window, FileChoice::Open, QStringLiteral(QT_TRANSLATE_NOOP("kz", "从文件载入")));
    if (path.isEmpty())
        return;
    const Family family = *window->WindowFamily();
    const QList<backup::Block> &list = catalog(family);
    QString error;
    const std::optional<backup::Backup> file = backup::Load(catalog, path, &error);
    if (!file) {
        ShowMessage(window, kz::Tr(QT_TRANSLATE_NOOP("kz", "无法载入配置文件，未改动：%1")).arg(error));
        return;
    }
    if (file->family != family) {
        ShowMessage(window, kz::Tr(QT_TRANSLATE_NOOP("kz", "%1 是 %2 仪表的配置文件，本窗口属于 %3 仪表，未载入。"))
                                .arg(path, FamilyName(file->family), FamilyName(family)));
        return;
    }
    // Every block is checked before any control changes; the energy bases
    // are never among a window's file blocks.
    QList<QByteArray> data;
    for (const FileBlock &b : blocks) {
        const backup::Block &block = list[b.index];
        if (file->values[b.index].isEmpty()) {
            ShowMessage(window, kz::Tr(QT_TRANSLATE_NOOP("kz", "%1 中没有%2的设置，未载入。")).arg(path, BlockName(block)));
            return;
        }
        const fields::Encoded e = backup::EncodeExact(block, file->values[b.index]);
        if (!e.ok()) {
            ShowMessage(window, kz::Tr(QT_TRANSLATE_NOOP("kz", "%1 中有不能下载的数值，未载入：%2")).arg(path, e.error));
            return;
        }
        data << e.data;
    }
    for (qsizetype i = 0; i < blocks.size(); ++i)
        blocks[i].show(data[i]);
}

QPushButton *Button(FamilyWindow *window, const char *name, const QString &caption, std::function<void()> onClick)
{
    auto *button = new QPushButton(caption, window);
    button->setObjectName(QLatin1String(name));
    button->setAccessibleName(caption);
    QObject::connect(button, &QPushButton::clicked, window, std::move(onClick));
    return button;
}

} // namespace

QString AskFileName(QWidget *parent, FileChoice choice, const QString &caption, const QString &suggested)
{
    if (Answer())
        return Answer()(choice, caption);
    // A file there is added to (or left alone with a message), never
    // replaced: the dialog does not ask about replacing it.
    return choice == FileChoice::Save
               ? QFileDialog::getSaveFileName(parent, caption, suggested, kFilter, nullptr,
                                              QFileDialog::DontConfirmOverwrite)
               : QFileDialog::getOpenFileName(parent, caption, suggested, kFilter);
}

void SetFileAnswer(FileAnswer answer) { Answer() = std::move(answer); }

void AddSettingsFile(FamilyWindow *window, backup::Catalog catalog, std::function<QList<FileBlock>()> chosen)
{
    auto *row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(Button(window, "SaveFileButton", QStringLiteral(QT_TRANSLATE_NOOP("kz", "保存到文件…")),
                          [window, catalog, chosen] { Save(window, catalog, chosen()); }));
    row->addWidget(Button(window, "LoadFileButton", QStringLiteral(QT_TRANSLATE_NOOP("kz", "从文件载入…")),
                          [window, catalog, chosen] { Load(window, catalog, chosen()); }));
    if (auto *column = qobject_cast<QBoxLayout *>(window->layout()))
        column->addLayout(row);
}

} // namespace ui
