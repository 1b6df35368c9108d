#pragma once
// The event record window of a family: pick a log kind, press "检  测", and
// the log's records fill a grid (number, kind name, the record's columns).
// The family's log (kinds, record size and reading) and names are in the
// configuration.
#include "core/eventlog.h"
#include "ui/familywindow.h"

#include <span>

class QComboBox;
class QTableWidget;

struct EventLogWindowConfig {
    WindowNames names;
    std::span<const char *const> headings; // the grid's columns
    std::span<const int> widths;           // their widths in pixels
    eventlog::Log log;
    // Each show selects the first kind (otherwise the list starts with none
    // selected and keeps its choice).
    bool firstKindOnShow = true;
    // Rows of the grid below its headings: one per record, and any more
    // stay empty (0: one per record).
    int rows = 0;
};

class EventLogWindow : public FamilyWindow {
    Q_OBJECT
public:
    EventLogWindow(SerialLink &link, const EventLogWindowConfig &config, QWidget *parent = nullptr);

    QTableWidget *Grid() const { return grid_; }

protected:
    void onShow() override;

private:
    void readLog();
    void clearGrid();

    EventLogWindowConfig config_;
    QComboBox *kinds_ = nullptr;
    QTableWidget *grid_ = nullptr;
};
