#include "link/rsaddersdcu.h"

TRs_Addersdcu::TRs_Addersdcu(SerialLink &link, QWidget *parent) : FamilyWindow(link, parent) {}
void TRs_Addersdcu::FormShow() {}
void TRs_Addersdcu::FormClose() {}
