#include "link/familywindow.h"

FamilyWindow::FamilyWindow(SerialLink &link, QWidget *parent) : QWidget(parent, Qt::Window), link_(link) {}
void FamilyWindow::showEvent(QShowEvent *event) { QWidget::showEvent(event); FormShow(); }
void FamilyWindow::closeEvent(QCloseEvent *event) { FormClose(); QWidget::closeEvent(event); }
