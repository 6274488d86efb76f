#include "device/monitorstream.h"

// A channel's frames behind its block, oldest first, in a ring.
struct MonitorStream::Queue
{
    TMonBlock frames[QueueDepth];
    int head = 0; // the oldest frame
    int count = 0;

    TMonBlock &slot(int i) { return frames[(head + i) % QueueDepth]; }
    void dropOldest()
    {
        head = (head + 1) % QueueDepth;
        --count;
    }
};

MonitorStream::MonitorStream(Post p)
    : post(std::move(p))
    , queues(std::make_unique<Queue[]>(monitor::Channels))
{ }

MonitorStream::~MonitorStream() = default;

monitor::Stream::SwitchOutcome MonitorStream::switchChannel(DeviceLink &link,
                                                            const monitor::Switch &s)
{
    const auto outcome = stream.switchChannel(link, s);
    channels = stream.mask();
    if (!s.on && s.channel < monitor::Channels)
        clearQueue(s.channel);
    return outcome;
}

monitor::Stream::ReadOutcome MonitorStream::read(DeviceLink &link)
{
    const auto outcome =
        stream.read(link, [this](int channel, const char *frame) { store(channel, frame); });
    channels = stream.mask();
    return outcome;
}

void MonitorStream::switchOffAll(DeviceLink &link)
{
    for (quint8 c = 0; c < monitor::Channels; ++c) {
        if (stream.mask() & (1u << c))
            switchChannel(link, {c, false});
    }
}

void MonitorStream::reset()
{
    stream.reset();
    channels = 0;
    for (int c = 0; c < monitor::Channels; ++c)
        clearQueue(c);
}

bool MonitorStream::claimRead()
{
    return channels.load() != 0 && !readQueued.exchange(true);
}

void MonitorStream::store(int channel, const char *frame)
{
    {
        MonitorWriteLock lock(blocks);
        TMonBlock &block = lock->ch[channel];
        if (block.len != 0) {
            // Its view has not taken the block yet: the frame in it waits behind the earlier
            // ones, and the block takes the newest as it always has.
            Queue &q = queues[channel];
            if (q.count == QueueDepth) {
                q.dropOldest();
                --queued;
                ++overwritten;
            }
            q.slot(q.count) = block;
            ++q.count;
            ++queued;
        }
        monitor::storeFrame(frame, block);
    }
    ++stored;
    // Announced whether or not an announcement has been delivered since the block was last
    // taken: a view that has just started takes what it left unread before.
    announce();
}

bool MonitorStream::take(int channel, TMonBlock *out)
{
    if (channel < 0 || channel >= monitor::Channels)
        return false;
    {
        MonitorReadLock lock(blocks);
        TMonBlock &block = lock->ch[channel];
        Queue &q = queues[channel];
        if (q.count == 0) {
            if (block.len == 0)
                return false;
            *out = block;
            block.len = 0;
            return true;
        }
        // The oldest frame first; the block, with the newest, stays unread behind it.
        *out = q.slot(0);
        q.dropOldest();
        --queued;
    }
    announce();
    return true;
}

void MonitorStream::clearQueue(int channel)
{
    MonitorWriteLock lock(blocks);
    Queue &q = queues[channel];
    queued -= q.count;
    q.count = 0;
}

void MonitorStream::announce()
{
    if (!notifyPending.exchange(true) && post)
        post();
}
