#include "sim/simmonitor.h"

#include "sim/simcommandport.h"

#include <QtEndian>

#include <bit>
#include <cmath>
#include <numbers>

namespace {
constexpr double FullScale = 2147483647.0;
constexpr int WordsPerFrame = (SimMonitorStream::FrameSize - 4) / 2;
constexpr int SamplesPerFrame = WordsPerFrame / 2;
} // namespace

SimMonitorStream::SimMonitorStream()
{
    clock.start();
}

void SimMonitorStream::attach(SimCommandPort &port)
{
    port.setHandler(CmdSwitch, [this](const SimCommand &c) {
        if (c.packet.size() >= 4) {
            QMutexLocker lock(&mutex);
            const int channel = quint8(c.packet[3]);
            const quint16 bit = channel < 16 ? quint16(1u << channel) : 0;
            const bool wasIdle = mask == 0;
            if (quint8(c.packet[2]) & 0x80)
                mask |= bit;
            else
                mask &= quint16(~bit);
            if (wasIdle && mask)
                nextDueMs = double(clock.elapsed());
        }
        return std::optional<QByteArray>(c.acknowledge());
    });
}

quint16 SimMonitorStream::channels() const
{
    QMutexLocker lock(&mutex);
    return mask;
}

quint64 SimMonitorStream::framesSent() const
{
    QMutexLocker lock(&mutex);
    return sent;
}

void SimMonitorStream::setFlatOut(bool on)
{
    QMutexLocker lock(&mutex);
    flatOut = on;
    nextDueMs = double(clock.elapsed());
}

void SimMonitorStream::setFrameRate(int perSecond)
{
    QMutexLocker lock(&mutex);
    frameRate = qMax(0, perSecond);
    nextDueMs = double(clock.elapsed());
}

void SimMonitorStream::holdFrames()
{
    QMutexLocker lock(&mutex);
    released = 0;
}

void SimMonitorStream::releaseFrames(int n)
{
    QMutexLocker lock(&mutex);
    released = qMax(0, released) + qMax(0, n);
}

void SimMonitorStream::setModulation(Modulation m)
{
    QMutexLocker lock(&mutex);
    modulation = m;
}

void SimMonitorStream::setNoise(double sigma)
{
    QMutexLocker lock(&mutex);
    noise = qMax(0.0, sigma);
}

void SimMonitorStream::splitNext(const QList<int> &sizes)
{
    QMutexLocker lock(&mutex);
    split = sizes;
}

void SimMonitorStream::dropNext(int n)
{
    QMutexLocker lock(&mutex);
    drops += n;
}

void SimMonitorStream::sendNextAs(quint8 channel)
{
    QMutexLocker lock(&mutex);
    foreign = channel;
}

qint32 SimMonitorStream::signalSample(int channel, quint64 index)
{
    const double t = double(index) / SampleRate;
    double v = 0;
    switch (channel) {
    case 1: {
        // Linear sweep from f0 to f1 over `period` seconds, then again from f0.
        constexpr double f0 = 200, f1 = 2000, period = 10;
        const double u = std::fmod(t, period);
        v = 0.8 * std::sin(2 * std::numbers::pi * (f0 * u + (f1 - f0) * u * u / (2 * period)));
        break;
    }
    case 2: {
        const double p = std::fmod(t * 500, 1.0);
        v = 0.6 * (p < 0.5 ? 4 * p - 1 : 3 - 4 * p);
        break;
    }
    case 3:
        v = std::fmod(t * 250, 1.0) < 0.5 ? 0.5 : -0.5;
        break;
    case 4:
        v = 0.9 * (2 * std::fmod(t * 100, 1.0) - 1);
        break;
    default:
        break;
    }
    return qint32(std::lround(v * FullScale));
}

QByteArray SimMonitorStream::signalFrame(int channel, quint64 first)
{
    QByteArray frame(FrameSize, '\0');
    frame[1] = char(channel);
    auto *out = reinterpret_cast<uchar *>(frame.data() + 4);
    for (int i = 0; i < SamplesPerFrame; ++i)
        qToBigEndian<qint32>(signalSample(channel, first + quint64(i)), out + 4 * i);
    return frame;
}

QByteArray SimMonitorStream::makeFrameLocked(int channel)
{
    if (channel < 0 || channel > 4) {
        // A channel the controller does not have: a recognisable pattern, no samples used.
        QByteArray frame(FrameSize, char(0x5A));
        frame[1] = char(channel);
        return frame;
    }
    const int c = channel;
    QByteArray frame;
    if (c == 0) {
        frame = QByteArray(FrameSize, '\0');
        auto *out = reinterpret_cast<uchar *>(frame.data() + 4);
        std::uniform_int_distribution<int> symbol(0, 15);
        std::normal_distribution<double> jitter(0.0, noise > 0 ? noise : 1.0);
        for (int i = 0; i < SamplesPerFrame; ++i) {
            const int s = symbol(random);
            double re = 0, im = 0;
            if (modulation == Modulation::Qpsk) {
                re = (s & 1) ? PointLevel : -PointLevel;
                im = (s & 2) ? PointLevel : -PointLevel;
            } else {
                constexpr double levels[4] = {-1, -1.0 / 3, 1.0 / 3, 1};
                re = levels[s & 3] * PointLevel;
                im = levels[s >> 2] * PointLevel;
            }
            if (noise > 0) {
                re += jitter(random);
                im += jitter(random);
            }
            const auto word = [](double v) {
                return qint16(std::lround(qBound(-1.0, v, 32767.0 / 32768) * 32768));
            };
            qToBigEndian<qint16>(word(re), out + 4 * i);
            qToBigEndian<qint16>(word(im), out + 4 * i + 2);
        }
    } else {
        frame = signalFrame(c, counters[c]);
    }
    counters[c] += SamplesPerFrame;
    frame[1] = char(channel);
    return frame;
}

int SimMonitorStream::nextChannelLocked()
{
    for (int k = 1; k <= 16; ++k) {
        const int c = (lastChannel + k) % 16;
        if (mask & (1u << c)) {
            lastChannel = c;
            return c;
        }
    }
    return -1;
}

qint64 SimMonitorStream::dueInLocked() const
{
    if (released >= 0)
        return released > 0 ? 0 : 1;
    if (flatOut)
        return 0;
    return qint64(std::ceil(nextDueMs - double(clock.elapsed())));
}

std::optional<QByteArray> SimMonitorStream::read(quint8, int)
{
    QMutexLocker lock(&mutex);
    if (!pieces.isEmpty())
        return pieces.takeFirst();
    if (mask == 0 && foreign < 0)
        return std::nullopt;
    if (dueInLocked() > 0)
        return std::nullopt;
    for (;;) {
        int channel = foreign >= 0 ? foreign : nextChannelLocked();
        foreign = -1;
        if (channel < 0)
            return std::nullopt;
        // The controller makes one frame per channel every period: with k channels on, one
        // frame every period / k. A reader that falls far behind gets no burst afterwards.
        const int on = qMax(1, int(std::popcount(mask)));
        const double now = double(clock.elapsed());
        const double step = frameRate > 0 ? 1000.0 / frameRate : double(FramePeriodMs) / on;
        nextDueMs = qMax(nextDueMs, now - 1000) + step;
        QByteArray frame = makeFrameLocked(channel);
        if (drops > 0) {
            --drops;
            if (dueInLocked() > 0)
                return std::nullopt;
            continue;
        }
        ++sent;
        if (released > 0)
            --released;
        if (split.isEmpty())
            return frame;
        int offset = 0;
        for (int size : std::as_const(split)) {
            if (offset >= frame.size())
                break;
            pieces.append(frame.mid(offset, qMax(1, size)));
            offset += qMax(1, size);
        }
        if (offset < frame.size())
            pieces.last().append(frame.mid(offset));
        split.clear();
        return pieces.takeFirst();
    }
}

int SimMonitorStream::msUntilReady(quint8)
{
    QMutexLocker lock(&mutex);
    if (!pieces.isEmpty())
        return 0;
    if ((mask == 0 && foreign < 0) || released == 0)
        return -1;
    return int(qMax<qint64>(0, dueInLocked()));
}
