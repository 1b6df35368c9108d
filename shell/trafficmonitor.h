#pragma once
// 通信监视: the link's frame records in a table, newest at the bottom:
// time, direction, address, function, length, verdict, meaning and bytes,
// rows coloured by verdict, with filters by direction, address, function
// and verdict, pause, clear, copy and save as text or CSV. The window
// follows the link's bounded log on a timer while it is shown, so the link
// never waits for it; the table draws only the rows in sight, so opening on
// a full log costs no more than a few new frames.
#include "link/framerecord.h"

#include <QTimer>
#include <functional>
#include <QWidget>

class FrameFilter;
class LogCellPainter;
class FrameLogModel;
class QCheckBox;
class QComboBox;
class QLabel;
class QSpinBox;
class QTableView;
class SerialLink;

class TrafficMonitor : public QWidget {
    Q_OBJECT
public:
    explicit TrafficMonitor(SerialLink &link, QWidget *parent = nullptr);

    // Takes the records that came in since the last refresh (the timer does
    // this every RefreshMs while the window is shown) and follows the newest
    // unless the user has scrolled away from it.
    void Refresh();
    // The rows shown, one line each (as the trace file writes them).
    QString Text() const;
    // Writes the rows shown to a UTF-8 file: CSV with a heading row when the
    // name ends in .csv, otherwise the lines of Text(). False with the reason.
    bool SaveTo(const QString &path, QString *error = nullptr) const;

    static constexpr int RefreshMs = 200;
    // Between the stages in which a newly shown window is drawn: long enough
    // for the loop to draw what a stage let in and serve other work before
    // the next stage, short enough that the whole window is drawn within a
    // tenth of a second.
    static constexpr int StageMs = 4;

protected:
    void showEvent(QShowEvent *event) override;
    void drawInStages(QList<std::function<void()>> stages);
    void hideEvent(QHideEvent *event) override;

private:
    QStringList lines(bool selectedOnly) const;
    void updateStatus();
    void copy();
    void save();

    SerialLink &link_;
    QTimer timer_;
    FrameLogModel *model_ = nullptr;
    FrameFilter *filter_ = nullptr;
    QComboBox *direction_ = nullptr;
    QSpinBox *address_ = nullptr;
    QComboBox *function_ = nullptr;
    QComboBox *kind_ = nullptr;
    QCheckBox *pause_ = nullptr;
    QTableView *view_ = nullptr;
    LogCellPainter *cells_ = nullptr;
    QLabel *status_ = nullptr;
};
