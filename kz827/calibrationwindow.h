#pragma once
// KZ827KVE calibration: reads the raw measurements once or every 500 ms,
// shows the means of the last eight reads, computes a new coefficient of
// the selected item from the standard meter's value and writes it; also
// triggers zero-level calibration and zero clearing. The guided run
// calibrates the four items one after the other.
#include "kz827/calibration.h"
#include "ui/calibrationbench.h"

class QLabel;
class QPushButton;
class QTimer;

namespace kz827 {

class CalibrationWindow : public CalibrationBenchWindow {
    Q_OBJECT
public:
    explicit CalibrationWindow(SerialLink &link, QWidget *parent = nullptr);

    bool Reading() const { return cyclicRead_.Reading(); }
    // The guided run in progress, or the last one (nullptr before the first).
    const calib::Run *GuidedRun() const { return guided_->GuidedRun(); }

protected:
    void onClose() override;
    void PortLost() override;

private:
    void toggleReading();
    void compute();
    void write();
    void onItemChosen();
    void resetCoefficient();
    void onTick();
    // A command sent: its sub-command and data.
    struct Command {
        std::uint8_t sub = 0;
        std::uint32_t data = 0;
    };
    // Takes the answer to a read or to a command.
    void take(const QByteArray &reply, std::optional<Command> command = std::nullopt);
    // True, and the user told why, while a guided run goes or the window
    // reads continuously: no command may go out then.
    bool commandRefused();
    // Zero commands and the write: one frame, refused while reading.
    void sendCommand(std::uint8_t subCommand, std::uint32_t data = 0);
    bool sendRead();
    // A read reply's values into the histories and the display.
    void showRead(const QByteArray &reply);
    void stopReading();
    // A row of the calibration record; item 1..4, 0 for a zero command.
    void addRow(int item, const QString &action, const QString &standard, std::optional<double> reading,
                const QString &coefficient, const QString &result);

    QPushButton *readButton_ = nullptr;
    QLabel *voltage_ = nullptr;
    QLabel *current_ = nullptr;
    QLabel *power_ = nullptr;
    QTimer *timer_ = nullptr;

    calib::CyclicRead cyclicRead_;
    QByteArray lastData_; // the last calibration reply without its first five bytes
    kz827::calibration::Histories histories_;
    kz827::calibration::GuidedProtocol protocol_;
};

} // namespace kz827
