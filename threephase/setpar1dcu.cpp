#include "threephase/setpar1dcu.h"

TSetPar1Dcu::TSetPar1Dcu(SerialLink &link, QWidget *parent) : FamilyWindow(link, "TSetPar1Dcu", parent) {}
