#pragma once
// The calibration window of the three-phase module and the single-phase
// meter: reads the raw metering values once or every 1500 ms, shows them,
// computes a point's correction word from a reference meter's value and
// writes it, and keeps a record of the run. A family's window is its
// decoder (points, read-outs, read layout) and a few names.
#include "core/calibrationengine.h"
#include "core/calibrationrun.h"
#include "ui/calibrationbench.h"
#include "ui/guidedpanel.h"

#include <functional>
#include <memory>

class QLabel;
class QPushButton;
class QTimer;

namespace calib {

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
    const calib::Run *GuidedRun() const { return guided_ ? guided_->GuidedRun() : nullptr; }

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
    // Sends a read of the readings; false when the link refused it.
    bool read();
    // The point and word a write sent.
    struct Written {
        int point = 0;
        std::uint32_t word = 0;
    };
    // Takes the answer to a read or (written) to a write.
    void take(const QByteArray &reply, std::optional<Written> written = std::nullopt);
    void showReadOuts();
    void onClose() override;
    void setReadCaption(bool reading);
    void addRow(int point, const QString &action, const QString &reference, std::optional<double> reading,
                const QString &word, const QString &result);

    std::unique_ptr<calib::Decoder> decoder_;
    calib::Engine engine_;
    calib::CyclicRead cyclic_;

    QPushButton *readButton_ = nullptr;
    QList<QLabel *> readOuts_;
    QTimer *timer_ = nullptr;

    // The guided run's calibration form (a panel only with a default plan).
    calib::AaProtocol protocol_;
};
