#pragma once
// The guided calibration run on the command line's synchronous link: each
// exchange blocks for its reply (a script waits anyway), and the reply is
// handed to the run on the next turn of the event loop, as the run wants.
#include "cli/synclink.h"
#include "core/calibrationrun.h"

namespace cli {

class SyncExchanger : public calib::Exchanger {
public:
    explicit SyncExchanger(SyncLink &link) : link_(link) {}
    void Exchange(const QByteArray &request, std::function<void(const QByteArray &reply)> done) override;

private:
    SyncLink &link_;
};

// One line for a point's result, tab-separated: N, name, verdict, reference,
// reading before, word, reading after, error, attempts, message.
QString PointLine(const calib::PointResult &result);

} // namespace cli
