#pragma once
// The guided calibration run on the command line's synchronous link: each
// exchange blocks for its reply (a script waits anyway), and the reply is
// handed to the run on the next turn of the event loop, as the run wants.
//
// kzctl speaks English: its own words are English, and the run's texts
// (point names, verdicts, reasons, the record and the certificate) come
// from the program's English translation. --lang zh leaves the run's
// texts, the record and the certificate in Chinese, the program's source
// language.
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

// Installs the translation of the run's texts: "en" (kzctl's language,
// the translation embedded in kzctl) or "zh" (none). False for another
// code or a translation that cannot be loaded.
bool SetLanguage(const QString &code);

// One line for a point's result, tab-separated: N, name, verdict
// (Pass, Fail, Skip or Interrupted in English), reference, reading before,
// word, reading after, error, attempts, message.
QString PointLine(const calib::PointResult &result);

// The question before a point: what the source must supply, and the keys.
QString SourcePrompt(const calib::PlanPoint &point);

} // namespace cli
