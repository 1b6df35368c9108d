#include "core/addressscan.h"

#include "link/crc.h"

#include <algorithm>

QByteArray AddressProbeFrame(std::uint8_t address)
{
    QByteArray frame;
    frame.append(static_cast<char>(address));
    frame.append(static_cast<char>(0x99));
    frame.append("0000", 4);
    AppendCrc(frame);
    return frame;
}

bool AddressScan::Start(int start, int end)
{
    if (start > end)
        return false;
    start_ = start;
    // A one-address range counts as one step, so its single tick completes
    // the bar instead of dividing by zero.
    span_ = std::max(1, end - start);
    // A range wider than the progress scale still moves the bar.
    step_ = std::max(1, kScanProgressMax / span_);
    current_ = start;
    progress_ = 0;
    percent_ = 0;
    running_ = true;
    return true;
}

std::optional<int> AddressScan::Tick(int end)
{
    if (!running_)
        return std::nullopt;
    progress_ = std::min(progress_ + step_, kScanProgressMax);
    // The end may be raised during the scan; the bar and the percentage
    // keep the scale of the range the scan began with and stop at full.
    percent_ = std::min(100, progress_ / step_ * 100 / span_);
    if (current_ < end) {
        ++current_;
        return current_;
    }
    running_ = false;
    progress_ = kScanProgressMax;
    percent_ = 100;
    return std::nullopt;
}
