#include "threephase/setpar3dcu.h"

TSetPar3Dcu::TSetPar3Dcu(SerialLink &link, QWidget *parent) : FamilyWindow(link, "TSetPar3Dcu", parent) {}
