#include "threephase/coulometrydcu.h"

TCoulometrydcu::TCoulometrydcu(SerialLink &link, QWidget *parent) : FamilyWindow(link, parent) {}
void TCoulometrydcu::FormShow() {}
void TCoulometrydcu::FormClose() {}
