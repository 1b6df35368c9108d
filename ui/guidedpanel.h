#pragma once
// The guided run's panel of a calibration window: 载入方案, 开始引导校验,
// the operator and the limit, the status, the prompt with 继续 / 跳过 /
// 停止, the last error, the progress and 保存证书. The operator is asked in
// the panel, never in a modal box, so the window keeps answering. The
// window gives it its family's plan and calibration form, sends the run's
// requests and shows what the run does in its own controls. Also the file
// dialogs of the calibration windows, which tests replace.
#include "core/calibrationrecord.h"
#include "core/calibrationrun.h"
#include "link/family.h"

#include <QGroupBox>
#include <functional>
#include <memory>

class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

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

} // namespace calib

namespace ui {

// Sends a run's requests as the window: each request carries the run's
// continuation, which gets the reply, or nothing on a failure.
class WindowExchanger : public calib::Exchanger {
public:
    // ask: sends a request as the window with what to do with its reply (an
    // empty one on a failure); false when the link refused it.
    using Ask = std::function<bool(const QByteArray &request, std::function<void(const QByteArray &reply)> done)>;
    WindowExchanger(QObject &context, Ask ask) : context_(context), ask_(std::move(ask)) {}
    void Exchange(const QByteArray &request, std::function<void(const QByteArray &)> done) override;

private:
    QObject &context_;
    Ask ask_;
};

// What the panel needs from its window.
struct GuidedHost {
    Family family;
    calib::Plan (*defaultPlan)() = nullptr;
    calib::Exchanger *exchanger = nullptr;
    calib::Protocol *protocol = nullptr;
    // True, and the user told why, when the window's own reading stops a
    // run from starting.
    std::function<bool()> windowBusy;
    std::function<int()> address; // the address box, read when a run starts
    // Locks the address box while a run goes (true) and frees it again.
    std::function<void(bool)> lockAddress;
    std::function<void(const calib::RecordRow &)> addRow;
    // The point in progress and the word of a point done, for the window's
    // list and correction edit.
    std::function<void(const calib::PlanPoint &)> showPoint;
    std::function<void(const QString &)> showWord;
};

class GuidedPanel : public QGroupBox {
    Q_OBJECT
public:
    GuidedPanel(GuidedHost host, QWidget *parent);

    // The guided run in progress, or the last one (nullptr before the first).
    const calib::Run *GuidedRun() const { return run_.get(); }
    bool Running() const { return run_ && run_->Running(); }
    // True, and the user told so, while a run goes: the window's manual
    // reads and writes would take its replies.
    bool Busy();
    // Ends a run in progress (the window closes).
    void Stop();

private:
    QPushButton *makeButton(const char *name, const QString &caption, std::function<void()> onClick);
    void start();
    void onProgress(int index, int count, calib::Step step, const QString &lastError);
    void onFinished(const calib::RunResult &result);
    void setPrompt(bool asking, const QString &text);
    void saveCertificate();
    void loadPlan();
    // Shows the plan's limit as the one a run will use.
    void showPlanLimit();
    // Locks the controls a run takes its settings from while it goes.
    void lock(bool running);

    GuidedHost host_;
    calib::Plan plan_;   // the plan the next guided run uses
    QString planSource_; // 默认方案 or the file's name
    QString runSource_;  // planSource_ when the run in progress or last began
    double planLimit_ = calib::kDefaultLimit;
    std::unique_ptr<calib::Run> run_;
    QPushButton *start_ = nullptr;
    QPushButton *stop_ = nullptr;
    QPushButton *continue_ = nullptr;
    QPushButton *skip_ = nullptr;
    QPushButton *certificate_ = nullptr;
    QLabel *status_ = nullptr;
    QLabel *prompt_ = nullptr;
    QLabel *error_ = nullptr;
    QProgressBar *progress_ = nullptr;
    QLineEdit *operator_ = nullptr;  // put on the certificate
    QDoubleSpinBox *limit_ = nullptr; // % for every point, when changed from the plan's
};

} // namespace ui
