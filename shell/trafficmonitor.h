#pragma once
// 通信监视: the link's frame records as lines, newest at the bottom, with
// filters by direction and address, pause, clear, copy and save as text.
// The window reads the link's bounded log on a timer while it is shown, so
// the link never waits for it however fast the traffic.
#include "link/framerecord.h"

#include <QTimer>
#include <QWidget>
#include <cstdint>

class QCheckBox;
class QComboBox;
class QLabel;
class QPlainTextEdit;
class QSpinBox;
class SerialLink;

class TrafficMonitor : public QWidget {
    Q_OBJECT
public:
    explicit TrafficMonitor(SerialLink &link, QWidget *parent = nullptr);


    // Takes the records that came in since the last refresh (the timer does
    // this every RefreshMs while the window is shown), at most LinesPerPass
    // at a time: a backlog (opening on a full log, a filter change) is shown
    // over several event-loop turns so the link's timers keep running.
    void Refresh();
    // The lines shown, one per record.
    QString Text() const;
    // Writes the lines shown to a UTF-8 text file; false with the reason.
    bool SaveTo(const QString &path, QString *error = nullptr) const;

    static constexpr int RefreshMs = 200;
    static constexpr std::size_t LinesPerPass = 120;

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    bool passes(const FrameRecord &record) const;
    void rebuild();
    void clearView();
    void copy();
    void save();

    SerialLink &link_;
    QTimer timer_;
    QTimer more_; // continues a backlog on the next event-loop turn
    std::uint64_t next_ = 0;    // running number of the first record not yet shown
    std::uint64_t cleared_ = 0; // records before this number were cleared from the view
    int shown_ = 0;
    QComboBox *direction_ = nullptr;
    QSpinBox *address_ = nullptr;
    QCheckBox *pause_ = nullptr;
    QPlainTextEdit *view_ = nullptr;
    QLabel *status_ = nullptr;
};
