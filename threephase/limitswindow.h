#pragma once
// Upper and lower alarm limits of a three-phase instrument: ten groups of
// limits, hysteresis values, alarm delays and relays. The user picks one
// group, then uploads or downloads it whole.
#include "ui/settingswindow.h"

#include <array>

class FieldForm;
class QButtonGroup;

namespace threephase {

class LimitsWindow : public ui::SettingsWindow {
    Q_OBJECT
public:
    explicit LimitsWindow(SerialLink &link, QWidget *parent = nullptr);

protected:
    void onShow() override;

private:
    void back();
    void factoryValues();

    // The selected group (1..10); 0, with the user told to pick one, when
    // none is.
    int SelectedGroup();
    // Before an upload: the group's limits show "0", its delays and relays 0;
    // the output choices keep theirs.
    void ClearLimitGroup(int group);

    std::array<FieldForm *, 10> forms_{};
    QButtonGroup *choice_ = nullptr;
};

} // namespace threephase
