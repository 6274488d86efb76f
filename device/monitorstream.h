#pragma once
// One worker's monitor stream: the channel mask and the frame being gathered, the five blocks
// the views take, a short queue of frames behind each block, and the counters. The worker
// switches and reads with its connection lock held; views take blocks from their own thread.
//
// The block always holds its channel's newest frame. When a frame arrives while the block is
// still unread, the frame in the block moves to a short queue behind it instead of being
// overwritten; a view's take hands out the oldest waiting frame first and announces the next,
// so the view gets every frame in order. A full queue drops its oldest frame and counts it.
// One announcement waits in the views' thread at a time: a signal per frame would pile up in
// that thread's queue faster than the views draw whenever the stream outruns them, delaying
// every other event without bound.

#include "device/devicelink.h"
#include "device/monitorexchange.h"
#include "device/sharedrecord.h"

#include <atomic>
#include <functional>
#include <memory>

class MonitorStream
{
public:
    // Frames kept behind a block its view has not taken yet, per channel.
    static constexpr int QueueDepth = 8;
    // Posts one announcement into the views' thread; the announcement calls announced()
    // before the views hear it.
    using Post = std::function<void()>;

    explicit MonitorStream(Post post);
    ~MonitorStream();
    MonitorStream(const MonitorStream &) = delete;
    MonitorStream &operator=(const MonitorStream &) = delete;

    // --- Worker side (connection lock held) ---
    // A switch-off also empties the channel's queue: its view has stopped taking.
    monitor::Stream::SwitchOutcome switchChannel(DeviceLink &link, const monitor::Switch &s);
    // One read of the stream; a complete frame of a channel that is on is stored.
    monitor::Stream::ReadOutcome read(DeviceLink &link);
    // At shut-down: switches off at the controller every channel still on.
    void switchOffAll(DeviceLink &link);
    // The connection closed: no channel is on, nothing is gathered, no frame waits in a queue
    // (the blocks keep what they hold).
    void reset();

    // The chain of reads: one read at a time waits in the worker's queue. True when a channel
    // is on and no read waits yet: the caller queues one.
    bool claimRead();
    // The queued read runs: the next one may be queued.
    void readStarted() { readQueued = false; }

    // --- Any thread ---
    // The blocks: read them only under a MonitorReadLock.
    MonitorRecords &records() { return blocks; }
    // A view's take of its channel's oldest unread frame: the head of the queue (the next one
    // is announced), or else the block, which is marked read. One thread takes a channel's
    // frames. The unit is held for the copy only: the worker waits for every unit before it
    // stores a frame.
    bool take(int channel, TMonBlock *out);
    // The posted announcement is being delivered: the next one may be posted.
    void announced() { notifyPending = false; }

    // Channels switched on (bit k: channel k), as the last switch or read left them.
    quint16 mask() const { return channels.load(); }
    // Frames of a switched-on channel stored in its block or queue.
    quint64 frames() const { return stored.load(); }
    // Frames dropped from a full queue before a view took them.
    quint64 dropped() const { return overwritten.load(); }
    // Frames waiting for a view in the queues (besides those in the blocks).
    int queuedFrames() const { return queued.load(); }

private:
    struct Queue;

    void store(int channel, const char *frame);
    void clearQueue(int channel);
    void announce();

    Post post;
    monitor::Stream stream; // worker thread
    MonitorRecords blocks;
    // The frames waiting behind each block, oldest first. Guarded by the blocks' units: the
    // worker changes them with every unit held, a view takes from its own channel's with one.
    std::unique_ptr<Queue[]> queues;
    std::atomic<quint16> channels {0}; // copy of the stream's mask for any thread
    std::atomic<bool> readQueued {false}; // a read waits in the worker's queue
    std::atomic<bool> notifyPending {false}; // an announcement waits to be delivered
    std::atomic<quint64> stored {0};
    std::atomic<quint64> overwritten {0};
    std::atomic<int> queued {0};
};
