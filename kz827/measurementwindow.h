#pragma once
// KZ827KVE measurement window: polls voltage, current and active power
// every 2 s and shows each with the decimals and unit the instrument sends.
#include "ui/displayvalue.h"
#include "ui/familywindow.h"

namespace kz827 {

class MeasurementWindow : public FamilyWindow {
    Q_OBJECT
public:
    explicit MeasurementWindow(SerialLink &link, QWidget *parent = nullptr);

private:
    // Shows and records the poll's data from the instrument at address.
    void showMeasurements(const QByteArray &data, int address);
    bool sendPoll();

    PollBar poll_;
    PowerReadOuts readOuts_;
};

} // namespace kz827
