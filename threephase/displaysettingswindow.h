#pragma once
// Front panel display settings of a three-phase tester: what the upper,
// middle and lower display windows show, how long each quantity stays, which
// quantities they leave out, and the active energy metering time; uploaded,
// edited and downloaded as one block. The status line tells how the last
// upload went; an upload without an answer fails after 3 seconds.
#include "ui/settingswindow.h"

class FieldForm;
class QStatusBar;

namespace threephase {

class DisplaySettingsWindow : public ui::SettingsWindow {
    Q_OBJECT
public:
    explicit DisplaySettingsWindow(SerialLink &link, QWidget *parent = nullptr);

protected:
    void onShow() override;

private:
    FieldForm *form_ = nullptr;
    QStatusBar *status_ = nullptr;
};

} // namespace threephase
