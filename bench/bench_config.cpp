// Configuration write and read against the simulated controller with the real protocol pauses:
// wall time beside the sum of the pauses the exchange must make, and the longest stall of the
// GUI event loop while the Write window's job runs. Prints figures; asserts nothing.

#include "config/tk440.h"
#include "device/read.h"
#include "device/tthread.h"
#include "device/write.h"
#include "sim/simcontroller.h"
#include "sim/simtransport.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

// Largest gap between consecutive ticks of a 1 ms timer, in ms.
class StallMeter : public QObject
{
public:
    StallMeter()
    {
        tick.setInterval(1);
        tick.setTimerType(Qt::PreciseTimer);
        connect(&tick, &QTimer::timeout, this, [this] {
            const qint64 now = clock.nsecsElapsed();
            if (last >= 0)
                worst = std::max(worst, now - last);
            last = now;
        });
    }
    void start()
    {
        clock.start();
        last = -1;
        worst = 0;
        tick.start();
    }
    double stop()
    {
        tick.stop();
        return double(worst) / 1e6;
    }

private:
    QTimer tick;
    QElapsedTimer clock;
    qint64 last = -1;
    qint64 worst = 0;
};

// Sum of the pauses of a write of count bytes with the block rule of the usual case (N > 66).
int writeFloorMs(int count)
{
    int ms = 0;
    for (int remaining = count; remaining > 0;) {
        int len = std::min(64, remaining);
        if (len < 64 && len % 2 == 0)
            --len;
        ms += 10 * len + 10;
        remaining -= len;
    }
    return ms;
}

struct Result
{
    double wallMs = 0;
    double stallMs = 0;
};

Result timeWrite(TThread &thread, const TK440 &image, int mode)
{
    thread.setMode(mode);
    StallMeter meter;
    QEventLoop loop;
    QElapsedTimer wall;
    Result r;
    QObject::connect(&thread, &TThread::writeStp, &loop, [&] {
        r.wallMs = double(wall.nsecsElapsed()) / 1e6;
        loop.quit();
    });
    QObject::connect(&thread, &TThread::writeErr, &loop, &QEventLoop::quit);
    wall.start();
    Write w(&thread, &image, mode);
    w.show();
    // From here on the job runs in the worker; the GUI thread only takes its signals.
    meter.start();
    loop.exec();
    r.stallMs = meter.stop();
    return r;
}

Result timeRead(TThread &thread)
{
    StallMeter meter;
    QEventLoop loop;
    QElapsedTimer wall;
    Result r;
    TK440 target {};
    meter.start();
    wall.start();
    Read rd(&thread, &target);
    // Config runs in the GUI thread when the record is handed over: the end of the read.
    QObject::connect(&thread, &TThread::readCfg, &loop, [&] {
        r.wallMs = double(wall.nsecsElapsed()) / 1e6;
        loop.quit();
    });
    QObject::connect(&thread, &TThread::readErr, &loop, &QEventLoop::quit);
    rd.show();
    loop.exec();
    r.stallMs = meter.stop();
    return r;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);

    auto sim = makeSimulatedController(QStringLiteral("RA"));
    TThread thread; // real pauses
    thread.setTransport(makeSimulatedTransport(sim));
    thread.checkDevice();
    if (!thread.isConnected()) {
        std::fprintf(stderr, "simulated controller did not connect\n");
        return 1;
    }

    TK440 image;
    for (int i = 0; i < TK440::Size; ++i)
        image.b[i] = quint8(i * 7);
    image.setWord(TK440::ModelOffset, TK440::ModelRA);

    std::printf("%-28s %10s %10s %7s %12s\n", "exchange (N = 512)", "wall ms", "floor ms", "ratio",
                "GUI stall ms");
    for (int mode : {1, 10}) {
        const int count = mode == 10 ? 388 : 182;
        const Result r = timeWrite(thread, image, mode);
        const int floor = writeFloorMs(count);
        std::printf("%-28s %10.1f %10d %7.4f %12.2f\n",
                    qPrintable(QStringLiteral("write mode %1 (%2 bytes)").arg(mode).arg(count)),
                    r.wallMs, floor, r.wallMs / floor, r.stallMs);
    }
    const Result r = timeRead(thread);
    std::printf("%-28s %10.1f %10d %7s %12.2f\n", "read (402 bytes)", r.wallMs, 0, "-", r.stallMs);
    return 0;
}
