#pragma once
// The three-phase wiring check window (接线检查): polls the ratio block once,
// then the measurements and the state bits at each tick, and shows the
// phasor diagram, the verdict, the fitting connections with their residual,
// the correction factor and the load angle; 保存报告 writes the one-page PDF
// report.
#include "threephase/wiring.h"
#include "ui/familywindow.h"

#include <functional>
#include <optional>

class QLabel;
class QTableWidget;
class QTimer;

namespace threephase {

class PhasorView;

class WiringWindow : public FamilyWindow {
    Q_OBJECT
public:
    explicit WiringWindow(SerialLink &link, QWidget *parent = nullptr);

    // Where 保存报告 writes: asks the user unless a test set a chooser (an
    // empty path saves nothing).
    using ReportChooser = std::function<QString(QWidget *parent, const QString &suggested)>;
    static void SetReportChooser(ReportChooser chooser);

    // The last complete readings and their verdict.
    const std::optional<wiring::Readings> &Readings() const { return readings_; }
    const wiring::Verdict &Verdict() const { return verdict_; }

signals:
    // A new verdict is on screen.
    void Checked();

private:
    void Start();
    // One check: the ratio block (once after each start), then the
    // measurements, then the state bits, each asked when the one before is
    // answered. A request that gets no answer ends the check, and the next
    // tick starts it again.
    void Tick();
    bool readMeasurements();
    void readState(const QByteArray &measured);
    Asking again();
    void Show();
    void SaveReport();

    QTimer *timer_ = nullptr;
    PhasorView *view_ = nullptr;
    QLabel *verdictLabel_ = nullptr;
    QLabel *loadLabel_ = nullptr;
    QLabel *correctionLabel_ = nullptr;
    QTableWidget *fits_ = nullptr;
    QByteArray params_;      // the ratio block, header removed
    bool busy_ = false;      // a check is under way
    std::optional<wiring::Readings> readings_;
    wiring::Verdict verdict_;
};

} // namespace threephase
