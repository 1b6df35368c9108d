#pragma once
// Bus address scan logic: the address probe frame and the bookkeeping of a
// scan (current address, progress position and percentage). No widgets.
#include <QByteArray>
#include <cstdint>
#include <optional>

// The address probe: address, 0x99, the characters "0000", CRC.
QByteArray AddressProbeFrame(std::uint8_t address);

// One scan over start..end, one probe per tick. The progress runs
// 0..kScanProgressMax.
class AddressScan {
public:
    static constexpr int kScanProgressMax = 10000;

    // Begins a scan at start. False (and nothing changes) when start > end.
    bool Start(int start, int end);

    // One timer tick: advances the progress by one step and, while the
    // current address is below end (read afresh by the caller at every
    // tick), moves to the next address and returns it for probing. Returns
    // nothing when the scan has ended (the progress is then complete).
    std::optional<int> Tick(int end);

    // Ends the scan early.
    void Stop() { running_ = false; }

    bool Running() const { return running_; }
    int Current() const { return current_; }
    int Step() const { return step_; }
    int Progress() const { return progress_; }
    // Whole percent shown beside the progress bar, 0..100.
    int Percent() const { return percent_; }

private:
    bool running_ = false;
    int start_ = 0;
    int span_ = 1;
    int current_ = 0;
    int step_ = kScanProgressMax;
    int progress_ = 0;
    int percent_ = 0;
};
