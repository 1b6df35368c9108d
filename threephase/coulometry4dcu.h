#pragma once
// The three-phase instrument state window: a still picture of the front
// panel, its three read-outs and indicator lamps. It sends nothing; its
// buttons other than "返  回" do nothing.
#include "link/familywindow.h"

class TCoulometry4dcu : public FamilyWindow {
    Q_OBJECT
public:
    explicit TCoulometry4dcu(SerialLink &link, QWidget *parent = nullptr);
};
