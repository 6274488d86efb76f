#pragma once
// The simulated controller's monitor stream on endpoint 0x82. Command 14 switches a channel on
// (0x80) or off; every read of the endpoint then gets the next 1024-byte frame, turn about
// over the channels that are on: byte 1 the channel, bytes 4 on 510 big-endian words.
// Channels 1 to 4 carry recognisable signals as 32-bit samples at 8000 samples per second
// (1: a sine sweeping from 200 Hz to 2 kHz every 10 s, 2: a 500 Hz triangle, 3: a 250 Hz
// square wave, 4: a 100 Hz sawtooth); channel 0 carries the I/Q points of a QPSK or 16-QAM
// constellation with adjustable noise. Frames are paced as the controller makes them (one per
// channel every 32 ms), handed out as fast as they are read ("flat out"), or paced by frames:
// only as many as a test releases, whatever the clock says.
//
// Faults for the next frames: delivered in pieces, dropped, or made for a channel that is off
// or does not exist. Failed reads (-5, -6, time-out) are the USB side's faults (failNext).

#include "sim/endpointhandler.h"

#include <QElapsedTimer>
#include <QList>
#include <QMutex>

#include <random>

class SimCommandPort;

class SimMonitorStream : public EndpointHandler
{
public:
    static constexpr quint8 Endpoint = 0x82;
    static constexpr quint16 CmdSwitch = 14;
    static constexpr int FrameSize = 1024;
    static constexpr int SampleRate = 8000; // samples per second on channels 1 to 4
    static constexpr int FramePeriodMs = 32; // per channel when paced
    static constexpr double PointLevel = 0.7; // constellation's outer level, of full scale

    enum class Modulation { Qpsk, Qam16 };

    SimMonitorStream();
    void attach(SimCommandPort &port);

    // Bit k set while channel k is switched on.
    quint16 channels() const;
    // Complete frames handed to the host so far.
    quint64 framesSent() const;

    void setFlatOut(bool on);
    // Paced at this many frames per second in total, whatever the number of channels on
    // (1190: the full-speed bulk ceiling of 1024-byte frames); 0: one frame per channel every
    // FramePeriodMs.
    void setFrameRate(int perSecond);
    // Paced by frames: from now on only frames released by releaseFrames are handed out, each
    // as soon as it is read, so that a test knows how many arrive whatever the clock says.
    void holdFrames();
    void releaseFrames(int n);
    void setModulation(Modulation m);
    // Standard deviation of the constellation's noise, as a share of full scale.
    void setNoise(double sigma);

    // The next frame arrives in pieces of these sizes (a last piece takes what is left).
    void splitNext(const QList<int> &pieces);
    // The next n frames are made (their samples pass) but never sent.
    void dropNext(int n = 1);
    // The next frame carries this channel number, whether it is on or not.
    void sendNextAs(quint8 channel);

    // Sample `index` of a signal channel (1 to 4), as the frames carry it.
    static qint32 signalSample(int channel, quint64 index);
    // The frame that a channel's samples from `first` on make (channels 1 to 4).
    static QByteArray signalFrame(int channel, quint64 first);

    std::optional<QByteArray> read(quint8 endpoint, int maxSize) override;
    int msUntilReady(quint8 endpoint) override;

private:
    int nextChannelLocked();
    QByteArray makeFrameLocked(int channel);
    qint64 dueInLocked() const; // ms until the next paced frame; <= 0: due now

    mutable QMutex mutex; // guards the members below
    quint16 mask = 0;
    int lastChannel = -1;
    quint64 sent = 0;
    bool flatOut = false;
    int frameRate = 0;
    Modulation modulation = Modulation::Qam16;
    double noise = 0.03;
    std::mt19937 random {330};
    quint64 counters[5] {}; // next sample or point of each channel
    QElapsedTimer clock;
    double nextDueMs = 0; // on clock
    QList<QByteArray> pieces; // rest of a frame delivered in pieces
    QList<int> split;
    int drops = 0;
    int foreign = -1;
    int released = -1; // frames still to hand out when paced by frames; -1: paced by time
};
