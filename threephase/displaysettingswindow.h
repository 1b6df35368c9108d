#pragma once
// Front panel display settings of a three-phase tester: what the upper,
// middle and lower display windows show, how long each quantity stays, which
// quantities they leave out, and the active energy metering time; uploaded,
// edited and downloaded as one block. The status line tells how the last
// upload went; an upload without an answer fails after 3 seconds.
#include "ui/familywindow.h"

class FieldForm;
class QStatusBar;
class QTimer;

namespace threephase {

class DisplaySettingsWindow : public FamilyWindow {
    Q_OBJECT
public:
    explicit DisplaySettingsWindow(SerialLink &link, QWidget *parent = nullptr);

protected:
    void onShow() override;

private:
    void upload();
    void download();
    void onReply(const modbus::Exchange &exchange) override;
    void onUploadTimeout();

    FieldForm *form_ = nullptr;
    QStatusBar *status_ = nullptr;
    QTimer *timer_ = nullptr;
};

} // namespace threephase
