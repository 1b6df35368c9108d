#pragma once
// The calibration window of the three-phase module and the single-phase
// meter: reads the raw metering values once or every 1500 ms, shows them,
// computes a point's correction word from a reference meter's value and
// writes it, and keeps a record of the run. A family's window is its
// decoder (points, read-outs, read layout) and a few names.
#include "core/calibrationengine.h"
#include "core/calibrationrun.h"
#include "ui/calibrationbench.h"

#include <functional>
#include <memory>

class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTimer;

namespace calib {

// Asks where to save the record (empty: cancelled). Tests replace the file
// dialog with a function; an empty function restores the dialog.
using FileChooser = std::function<QString(QWidget *parent, const QString &suggested)>;
void SetRecordFileChooser(FileChooser chooser);
// Asks which plan file to open for a guided run (empty: cancelled); tests
// replace the file dialog the same way.
void SetPlanFileChooser(FileChooser chooser);
// The "保存记录" button: asks for a file, saves the record there and says
// where it went (or why it could not).
void SaveRecord(QWidget *parent, Record &record);

struct WindowNames {
    const char *className;
    const char *title;
    const char *addressCaption;
    const char *returnButton;
    // The family whose windows it belongs to.
    Family family;
    int readOutColumns;
};

} // namespace calib

// One family's calibration window: its names and its decoder (points,
// read-outs, read layout).
struct CalibrationWindowConfig {
    calib::WindowNames names;
    std::unique_ptr<calib::Decoder> (*makeDecoder)();
    // The family's default plan for the guided run (none: no guided run).
    calib::Plan (*defaultPlan)() = nullptr;
};

class CalibrationWindow : public CalibrationBenchWindow {
    Q_OBJECT
public:
    CalibrationWindow(SerialLink &link, const CalibrationWindowConfig &config, QWidget *parent = nullptr);

    bool CyclicReading() const { return cyclic_.Reading(); }
    // The guided run in progress, or the last one (nullptr before the first).
    const calib::Run *GuidedRun() const { return run_.get(); }

protected:
    void PortLost() override;

private:
    void toggleReading();
    void onTick();
    void compute();
    void write();
    void clearWord();
    void onPointChosen();
    void saveRecord();
    void onReply(const modbus::Exchange &exchange) override;
    void onFailure(modbus::Reply::Error error) override;
    void onClose() override;
    // The guided run: every point of the family's default plan in one go,
    // the operator asked in the panel (继续 / 跳过 / 停止), never in a modal
    // box, so the window keeps answering.
    void makeGuidedPanel(QLayout *into);
    void startGuided();
    void onGuidedProgress(int index, int count, calib::Step step, const QString &lastError);
    void onGuidedFinished(const calib::RunResult &result);
    void setPrompt(bool asking, const QString &text);
    void saveCertificate();
    void loadPlan();
    // True, and the user told so, while a guided run goes: the manual reads
    // and writes would take its replies.
    bool guidedBusy();
    void setReadCaption(bool reading);
    void addRow(int point, const QString &action, const QString &reference, std::optional<double> reading,
                const QString &word, const QString &result);

    std::unique_ptr<calib::Decoder> decoder_;
    calib::Engine engine_;
    calib::CyclicRead cyclic_;

    QPushButton *readButton_ = nullptr;
    QList<QLabel *> readOuts_;
    QTimer *timer_ = nullptr;

    // Sends the run's requests as this window; the reply or the failure
    // comes back through onReply / onFailure.
    class Exchanger : public calib::Exchanger {
    public:
        explicit Exchanger(CalibrationWindow &window) : window_(window) {}
        void Exchange(const QByteArray &request, std::function<void(const QByteArray &)> done) override;
        std::function<void(const QByteArray &)> pending;

    private:
        CalibrationWindow &window_;
    };
    calib::Plan (*defaultPlan_)() = nullptr;
    calib::Plan plan_;      // the plan the next guided run uses
    QString planSource_;    // 默认方案 or the file's name
    Exchanger exchanger_{*this};
    std::unique_ptr<calib::Run> run_;
    QPushButton *guidedStart_ = nullptr;
    QPushButton *guidedStop_ = nullptr;
    QPushButton *guidedContinue_ = nullptr;
    QPushButton *guidedSkip_ = nullptr;
    QPushButton *guidedCertificate_ = nullptr;
    QLabel *guidedStatus_ = nullptr;
    QLabel *guidedPrompt_ = nullptr;
    QLabel *guidedError_ = nullptr;
    QProgressBar *guidedProgress_ = nullptr;
    QLineEdit *guidedOperator_ = nullptr;  // put on the certificate
    QDoubleSpinBox *guidedLimit_ = nullptr; // % for every point, when changed from the plan's
    double planLimit_ = calib::kDefaultLimit;
    void showPlanLimit();
};
