#pragma once
// Alarm enables of the single-phase tester: the upper and lower limit
// alarms of each measuring mode, phase loss, and the switch input that
// drives each relay, uploaded, edited and downloaded as one block.
#include "ui/settingswindow.h"

class FieldForm;

namespace singlephase {

class AlarmEnableWindow : public ui::SettingsWindow {
    Q_OBJECT
public:
    explicit AlarmEnableWindow(SerialLink &link, QWidget *parent = nullptr);

private:
    void clearControls() override;
    std::optional<QByteArray> encodeControls() override;
    void showBlock(const QByteArray &data) override;

    FieldForm *form_ = nullptr;
};

} // namespace singlephase
