#pragma once
// The address, baud rate and clock window of a family: uploads the block
// (see clockblock.h), sets the instrument's bus address, its baud rate, and
// its clock to the PC's local time ("校时"). The family's base register and
// names are in the configuration.
#include "ui/familywindow.h"

#include <QDateTime>
#include <functional>

class QComboBox;
class QLineEdit;
class QSpinBox;

struct ClockWindowConfig {
    WindowNames names;
    std::uint16_t base; // first register of the block
};

class ClockWindow : public FamilyWindow {
    Q_OBJECT
public:
    ClockWindow(SerialLink &link, const ClockWindowConfig &config, QWidget *parent = nullptr);

    // The PC's local time as "校时" takes it (tests put a fixed time here).
    std::function<QDateTime()> Now = [] { return QDateTime::currentDateTime(); };

private:
    void setBaudRate();
    void setAddress();
    void setClock();
    void upload();
    // Sends one of the writes; its echo is confirmed to the user.
    void set(const QByteArray &frame);

    ClockWindowConfig config_;
    QSpinBox *address_ = nullptr;    // SpinEdit2 原地址
    QSpinBox *newAddress_ = nullptr; // SpinEdit1 新地址
    QComboBox *baud_ = nullptr;
    QLineEdit *clock_ = nullptr;
};
