#include "singlephase/verifymaeterdcu.h"

TKZ2600E_VerifyMaeterdcu::TKZ2600E_VerifyMaeterdcu(SerialLink &link, QWidget *parent) : FamilyWindow(link, "TKZ2600E_VerifyMaeterdcu", parent) {}
