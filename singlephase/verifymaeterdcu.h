#pragma once
#include "link/familywindow.h"

class TKZ2600E_VerifyMaeterdcu : public FamilyWindow {
    Q_OBJECT
public:
    explicit TKZ2600E_VerifyMaeterdcu(SerialLink &link, QWidget *parent = nullptr);
};
