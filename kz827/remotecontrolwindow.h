#pragma once
// KZ827KVE remote control: switches relay outputs OUT1 and OUT2 with write
// single coil (coils 1 and 2, FF 00 closes) and says whether the instrument
// acknowledged.
#include "ui/familywindow.h"

namespace kz827 {

class RemoteControlWindow : public FamilyWindow {
    Q_OBJECT
public:
    explicit RemoteControlWindow(SerialLink &link, QWidget *parent = nullptr);

private:
    void switchCoil(int coil, bool close);
};

} // namespace kz827
