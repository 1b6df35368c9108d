#pragma once
// Settings files in the settings windows: 保存到文件… writes what the
// window's controls hold as its blocks of a backup file (kzctl's format),
// added to a file of the same family and address or as a new file;
// 从文件载入… fills the controls from a file's blocks and sends nothing.
// A file that cannot be read, of another family, without one of the
// window's blocks or with a value the block would refuse gives one message
// and leaves every control as it was. Also the seam through which the
// program asks for a file name, so that tests answer without a dialog.
#include "core/backup.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <functional>
#include <optional>

class FamilyWindow;
class QPushButton;
class QWidget;

namespace ui {

enum class FileChoice { Open, Save };
// Asks for a file to open or to save as (a modal file dialog, or the
// installed answer); empty when the user cancels.
QString AskFileName(QWidget *parent, FileChoice choice, const QString &caption, const QString &suggested = {});
using FileAnswer = std::function<QString(FileChoice choice, const QString &caption)>;
// Replaces the dialog; pass an empty function to restore it.
void SetFileAnswer(FileAnswer answer);

// One block of a window's file: its index in the family's catalog, the data
// bytes of the controls (nothing after the user was told why a value
// cannot be sent) and how data is shown in the controls.
struct FileBlock {
    int index = -1;
    std::function<std::optional<QByteArray>()> encode;
    std::function<void(const QByteArray &data)> show;
};

// Adds 保存到文件… (SaveFileButton) and 从文件载入… (LoadFileButton) in a row
// at the bottom of window's layout, for the blocks of the window's family
// at the window's address that blocks gives at each press (the group chosen
// on the window, or all its blocks); empty (after telling the user why):
// nothing is done. Settings windows attach files through SettingsWindow.
void AddSettingsFile(FamilyWindow *window, backup::Catalog catalog, std::function<QList<FileBlock>()> blocks);

} // namespace ui
