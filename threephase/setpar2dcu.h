#pragma once
#include "link/familywindow.h"

class TSetPar2Dcu : public FamilyWindow {
    Q_OBJECT
public:
    explicit TSetPar2Dcu(SerialLink &link, QWidget *parent = nullptr);
};
