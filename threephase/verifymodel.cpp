#include "threephase/verifymodel.h"

TVerify_model::TVerify_model(SerialLink &link, QWidget *parent) : FamilyWindow(link, "TVerify_model", parent) {}
