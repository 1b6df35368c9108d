#include "shell/mainwindow.h"
