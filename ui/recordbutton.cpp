#include "ui/recordbutton.h"

#include "core/tr.h"

#include "ui/messagebox.h"

#include <QDateTime>
#include <QFileDialog>
#include <QSignalBlocker>

RecordButton::RecordButton(QWidget *parent) : QPushButton(QStringLiteral(QT_TRANSLATE_NOOP("kz", "记录")), parent)
{
    setObjectName(QStringLiteral("RecordButton"));
    setCheckable(true);
    setAccessibleName(QStringLiteral(QT_TRANSLATE_NOOP("kz", "记录")));
    setToolTip(QStringLiteral(QT_TRANSLATE_NOOP("kz", "把每次测量写入 CSV 文件（已有的文件接着写）")));
    connect(this, &QPushButton::toggled, this, &RecordButton::onToggled);
}

void RecordButton::onToggled(bool on)
{
    if (asking_)
        return;
    if (!on) {
        recorder_.Close();
        return;
    }
    const QString suggested =
        QStringLiteral("measurements-%1.csv").arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss")));
    const QString path = QFileDialog::getSaveFileName(this, QStringLiteral(QT_TRANSLATE_NOOP("kz", "记录到 CSV 文件")), suggested,
                                                      QStringLiteral(QT_TRANSLATE_NOOP("kz", "CSV 文件 (*.csv);;所有文件 (*)")), nullptr,
                                                      QFileDialog::DontConfirmOverwrite);
    if (path.isEmpty()) {
        const QSignalBlocker block(this);
        setChecked(false);
        return;
    }
    StartTo(path);
}

bool RecordButton::StartTo(const QString &path)
{
    QString error;
    const bool ok = recorder_.Open(path, &error);
    {
        const QSignalBlocker block(this);
        setChecked(ok);
    }
    setToolTip(ok ? kz::Tr(QT_TRANSLATE_NOOP("kz", "正在记录到 %1")).arg(path)
                  : QStringLiteral(QT_TRANSLATE_NOOP("kz", "把每次测量写入 CSV 文件（已有的文件接着写）")));
    if (!ok)
        ui::ShowMessage(this, error);
    return ok;
}

void RecordButton::Stop()
{
    setChecked(false);
    recorder_.Close();
}

void RecordButton::Record(int address, const QStringList &captions, const QStringList &texts)
{
    emit Measured(address, captions, texts);
    if (!recorder_.IsOpen())
        return;
    QString error;
    if (!recorder_.Write(address, captions, texts, &error)) {
        {
            const QSignalBlocker block(this);
            setChecked(false);
        }
        ui::ShowMessage(this, error);
    }
}
