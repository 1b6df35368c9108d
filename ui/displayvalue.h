#pragma once
// A value of a large read-out panel (the KZ827KVE windows' black display
// area): its caption ("U:") and its value, both in large bold letters, the
// value selectable and reachable from the keyboard and read with its
// accessible name.
#include <QString>

class QFrame;
class QGridLayout;
class QLabel;
class QWidget;

// A label that shows a value, selectable and reachable from the keyboard.
// Its accessible name is its quantity followed by the value shown
// ("A相电压 200.0000V"), so the value is read and found by its text.
QLabel *MakeValueLabel(QWidget *parent, const char *name, const QString &quantity, const QString &initial);
// Shows text in a value label and names it anew; assistive technology is
// told of the change. Clearing it leaves the quantity as its name.
void ShowValue(QLabel *label, const QString &text);

// Adds caption and value to row of grid (columns 0 and 1) and returns the
// value; enlarge is how many points the letters grow over the area's font.
QLabel *AddDisplayValue(QWidget *area, QGridLayout *grid, int row, const char *caption, const char *name,
                        const QString &initial, const QString &accessible, int enlarge);

// The black read-out panel (Panel1) whose labels are lime.
QFrame *MakeReadOutPanel(QWidget *parent);

// The KZ827KVE read-outs: active power, voltage and current, one a row, in
// their own panel.
struct PowerReadOuts {
    QFrame *panel = nullptr;
    QLabel *power = nullptr;
    QLabel *voltage = nullptr;
    QLabel *current = nullptr;
};
PowerReadOuts MakePowerReadOuts(QWidget *parent, int enlarge);
