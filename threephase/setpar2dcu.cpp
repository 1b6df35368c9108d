#include "threephase/setpar2dcu.h"

TSetPar2Dcu::TSetPar2Dcu(SerialLink &link, QWidget *parent) : FamilyWindow(link, "TSetPar2Dcu", parent) {}
