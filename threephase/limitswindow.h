#pragma once
// Upper and lower alarm limits of a three-phase instrument: ten groups of
// limits, hysteresis values, alarm delays and relays. The user picks one
// group, then uploads or downloads it whole.
#include "ui/familywindow.h"

#include <array>

class FieldForm;
class QButtonGroup;

namespace threephase {

class LimitsWindow : public FamilyWindow {
    Q_OBJECT
public:
    explicit LimitsWindow(SerialLink &link, QWidget *parent = nullptr);

    // The group (1..10) of the last upload or download, 0 before the first.
    // A read reply is decoded as this group, whatever is selected meanwhile.
    int LimitGroup() const { return limitGroup_; }

protected:
    void onShow() override;

private:
    void download();
    void upload();
    void back();
    void factoryValues();
    void onReply(const modbus::Exchange &exchange) override;

    // The selected group (1..10); 0, with the user told to pick one, when
    // none is.
    int SelectedGroup();
    // Before an upload: the group's limits show "0", its delays and relays 0;
    // the output choices keep theirs.
    void ClearLimitGroup(int group);

    std::array<FieldForm *, 10> forms_{};
    QButtonGroup *choice_ = nullptr;
    int limitGroup_ = 0;
};

} // namespace threephase
