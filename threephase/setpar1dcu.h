#pragma once
#include "link/familywindow.h"

class TSetPar1Dcu : public FamilyWindow {
    Q_OBJECT
public:
    explicit TSetPar1Dcu(SerialLink &link, QWidget *parent = nullptr);
};
