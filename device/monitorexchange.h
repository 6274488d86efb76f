#pragma once
// The monitor stream over the open connection: the channel switch (job 17) and one read of the
// stream (job 18), which gathers 1024-byte frames over as many reads as they take. The stream's
// state (the frame being gathered, the channel mask) belongs to its owner's thread; the owner
// resets it whenever the connection closes.

#include "device/devicelink.h"
#include "device/monitorprotocol.h"

#include <functional>

struct JobContext;

namespace monitor {

class Stream
{
public:
    enum class SwitchOutcome {
        Unchanged, // not sent or not acknowledged (a switch-off still clears the channel)
        Changed, // the mask follows the request
        Started, // the first channel went on: the caller starts the chain of reads
    };
    enum class ReadOutcome {
        Continue, // a channel is on: the caller queues the next read
        Ended, // no channel is on any more: the chain ends
        Lost, // the controller left the bus; the connection is closed
    };
    // A complete frame of a switched-on channel, handed to the caller to store.
    using Deliver = std::function<void(int channel, const char *frame)>;

    SwitchOutcome switchChannel(DeviceLink &link, const Switch &s);
    ReadOutcome read(DeviceLink &link, const Deliver &deliver);
    // The connection closed: no channel is on, nothing is gathered.
    void reset();

    quint16 mask() const { return channels; }
    int gathered() const { return fill; }

    // Frames that did not reach a block, by cause (for diagnostics and the benchmark).
    struct Losses
    {
        quint64 foreign = 0; // complete frames of a channel that is off or above 4
        quint64 broken = 0; // partly received frames whose rest never came
    };
    Losses losses() const { return lost; }

private:
    char frame[FrameSize] {};
    quint16 fill = 0; // bytes of frame received
    quint16 channels = 0; // bit k: channel k is on
    Losses lost;
};

// The worker's jobs (monitorjobs.cpp) over its MonitorStream. JobMonitor: the channel switch,
// which starts the chain of reads with the first channel on; JobMonitorRead: one read of the
// chain, which queues the next while a channel is on.
void switchJob(const JobContext &context);
void readJob(const JobContext &context);

} // namespace monitor
