#pragma once
#include "link/familywindow.h"

class TSetPar3Dcu : public FamilyWindow {
    Q_OBJECT
public:
    explicit TSetPar3Dcu(SerialLink &link, QWidget *parent = nullptr);
};
