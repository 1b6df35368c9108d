#pragma once
#include "link/familywindow.h"

class TVerify_model : public FamilyWindow {
    Q_OBJECT
public:
    explicit TVerify_model(SerialLink &link, QWidget *parent = nullptr);
};
