#pragma once
// The bench controls both calibration windows share: the instrument address
// with the cyclic-read check box and the two read lamps, the reference
// meter's value and the correction with its clear button, and the list of
// points to calibrate, and the guided run's panel over them.
#include "core/calibrationrecord.h"
#include "ui/familywindow.h"
#include "ui/guidedpanel.h"

#include <QStringList>

class Lamp;
class QCheckBox;
class QGridLayout;
class QGroupBox;
class QLineEdit;
class QListWidget;

class CalibrationBenchWindow : public FamilyWindow {
    Q_OBJECT
public:
    using FamilyWindow::FamilyWindow;

    // What was done at the bench this run.
    const calib::Record &Record() const { return record_; }

protected:
    // Makes the controls (object names SpinEdit1, CheckBox1, Shape39,
    // Shape1, Edit1, Edit2, Button1, listBoxName and ListBox1): clear runs
    // on 清零, chosen when a point is clicked or moved to.
    void MakeBench(const QString &addressCaption, const char *listBoxName, const QStringList &points,
                   std::function<void()> clear, std::function<void()> chosen);
    // One tick of a cyclic read: true when a read may go out now, and the
    // two lamps swap colours then; false while a reply is still being
    // handled (the read waits for the next tick).
    bool ReadTick();
    // Adds a row to the record, now, at the address asked last; the user
    // is told when the record file can no longer be written.
    void AddRecordRow(int point, const QString &pointText, const QString &action, const QString &reference,
                      std::optional<double> reading, const QString &word, const QString &result);
    // Adds a row as it is (a guided run's).
    void AddRecordRow(const calib::RecordRow &row);

    // Makes the guided run's panel (guided_) over the bench: a run of the
    // family's plans in its calibration form, at the address the address
    // box shows when it starts (the box is locked while it runs), sent as
    // this window; the point in progress is chosen in the list and a
    // point's word shown. reading: the window reads by itself, so a run
    // may not start (the user is told).
    // shown: what the window shows of a reply of the run (after the run
    // has taken it).
    ui::GuidedPanel *MakeGuidedPanel(calib::Plan (*defaultPlan)(), calib::Protocol &protocol,
                                     std::function<bool()> reading,
                                     std::function<void(const QByteArray &reply)> shown);
    // True, and the user told so, while a guided run goes.
    bool GuidedBusy() { return guided_ && guided_->Busy(); }

    QSpinBox *address_ = nullptr;
    QCheckBox *cyclicBox_ = nullptr;
    Lamp *lampA_ = nullptr;
    Lamp *lampB_ = nullptr;
    QHBoxLayout *readRow_ = nullptr; // address, check box and lamps
    QLineEdit *reference_ = nullptr;
    QLineEdit *word_ = nullptr;
    QGridLayout *edits_ = nullptr;   // reference and correction with 清零
    QGroupBox *listBox_ = nullptr;
    QListWidget *points_ = nullptr;
    calib::Record record_;
    ui::GuidedPanel *guided_ = nullptr;

private:
    // Sends a request of the guided run to the address it names (the one
    // the run started with); a request that gets no reply is answered with
    // nothing.
    bool sendGuided(const QByteArray &request, std::function<void(const QByteArray &reply)> done);
    std::function<void(const QByteArray &reply)> guidedShown_;
    ui::WindowExchanger guidedExchanger_{
        *this, [this](const QByteArray &request, std::function<void(const QByteArray &)> done) {
            return sendGuided(request, std::move(done));
        }};
};
