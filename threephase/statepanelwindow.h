#pragma once
// The three-phase instrument state window: a still picture of the front
// panel, its three read-outs and indicator lamps. It sends nothing; its
// buttons other than "返  回" do nothing.
#include "ui/familywindow.h"

namespace threephase {

class StatePanelWindow : public FamilyWindow {
    Q_OBJECT
public:
    explicit StatePanelWindow(SerialLink &link, QWidget *parent = nullptr);
};

} // namespace threephase
