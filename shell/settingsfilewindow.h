#pragma once
// The 配置文件 window: settings files for many meters. 保存全部 backs up
// every block of the meter at an address; 与仪表比较 and 比较两个文件 list
// the fields that differ; 批量下载 writes a file to a range of addresses,
// block by block, each read back. The bus is used as kzctl uses it (a
// settings::MeterRun, one request at a time through the link); while a run
// goes on, the other windows' polling is stopped and the user told so.
#include "core/backup.h"
#include "settings/meterrun.h"
#include "ui/familywindow.h"

#include <optional>

class QComboBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QTreeWidget;

class SettingsFileWindow : public FamilyWindow {
    Q_OBJECT
public:
    explicit SettingsFileWindow(SerialLink &link, QWidget *parent = nullptr);

signals:
    // A run over the bus has ended (done, stopped or failed).
    void RunFinished();

protected:
    void onShow() override;
    void onClose() override;
    // The answer to the run's request, or its failure.
    void answer(const modbus::Exchange &exchange);
    void fail(modbus::Reply::Error error);

private:
    enum class Job { SaveAll, Compare, Restore };
    void saveAll();
    void compareWithMeter();
    void compareFiles();
    void restore();
    void stop();

    // Starts a run: stops the other windows' polling (and says so), then
    // sends the first request.
    void begin(Job job, settings::MeterRun run);
    void step();
    void answered();
    void finish();
    // The table of what the run did to each address and block.
    void showOutcomes();
    void showDifferences(const QList<backup::Difference> &differences);
    void showRows(const QStringList &headers, const QList<QStringList> &rows);
    // A file chosen and loaded, or nothing after one message.
    std::optional<backup::Backup> openFile(const QString &caption);
    void setBusy(bool busy);
    // Shows text in the status line and names the line by it.
    void setStatus(const QString &text);
    // Why a meter or block of the run under way did not end as asked.
    QString reasonText(const settings::MeterRun::Outcome &outcome) const;
    // The port's loss in this window's words: the serial port or the
    // network connection.
    QString portGone() const;

    // The meter of 保存全部 and 与仪表比较, and the range of 批量下载.
    QComboBox *family_ = nullptr;
    struct {
        QSpinBox *meter, *first, *last;
    } address_{};
    // How a run goes and what came of it.
    struct {
        QProgressBar *progress;
        QLabel *status;
        QTreeWidget *table;
    } report_{};
    QList<QPushButton *> jobButtons_;
    QPushButton *stop_ = nullptr;

    std::optional<settings::MeterRun> run_;
    Job job_ = Job::SaveAll;
    QString path_;                       // the file saved to (保存全部)
    std::optional<backup::Backup> file_; // the file compared (比较)
    QString stopped_;                    // the windows whose polling was stopped
};
