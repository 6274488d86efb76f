// Configuration write and read, and a 128 KiB firmware load in normal mode, against the simulated
// controller with the real protocol pauses: wall time beside the sum of the pauses the exchange
// must make, and the longest stall of the GUI event loop while the Write window's job runs. Prints
// figures and judges none of them; it fails only when the controller does not connect or an
// exchange fails or never ends.
//
// --quick skips the pauses, so that the whole run takes well under a second: a check that the
// benchmark still runs, whose figures mean nothing.

#include "config/image.h"
#include "config/tk440.h"
#include "device/flashexchange.h"
#include "device/flashprotocol.h"
#include "device/tthread.h"
#include "device/windows/load.h"
#include "device/windows/read.h"
#include "device/windows/write.h"
#include "sim/simcontroller.h"
#include "sim/simtransport.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>

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

// Runs loop until something quits it or timeoutMs pass; false on the time-out.
bool runWithin(QEventLoop &loop, int timeoutMs)
{
    bool expired = false;
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, &loop, [&] {
        expired = true;
        loop.quit();
    });
    guard.start(timeoutMs);
    loop.exec();
    return !expired;
}

// The check runs in the worker, which announces the connection with conn(true), delivered
// queued to this thread: wait for it in an event loop.
bool connectController(TThread &thread, int timeoutMs)
{
    QEventLoop loop;
    QObject::connect(&thread, &TThread::conn, &loop, [&](bool connected) {
        if (connected)
            loop.quit();
    });
    thread.checkDevice();
    return runWithin(loop, timeoutMs) && thread.isConnected();
}

// Times a progress window's job from the window's creation to its done signal; nothing when
// the job failed or did not end within timeoutMs.
template<typename MakeWindow>
std::optional<Result> timeJob(TThread &thread, void (TThread::*doneSignal)(),
                              void (TThread::*errorSignal)(), MakeWindow makeWindow, int timeoutMs)
{
    StallMeter meter;
    QEventLoop loop;
    QElapsedTimer wall;
    Result r;
    bool done = false;
    QObject::connect(&thread, doneSignal, &loop, [&] {
        r.wallMs = double(wall.nsecsElapsed()) / 1e6;
        done = true;
        loop.quit();
    });
    QObject::connect(&thread, errorSignal, &loop, &QEventLoop::quit);
    wall.start();
    auto window = makeWindow();
    window->show();
    // From here on the job runs in the worker; the GUI thread only takes its signals.
    meter.start();
    runWithin(loop, timeoutMs);
    r.stallMs = meter.stop();
    if (!done)
        return std::nullopt;
    return r;
}

std::optional<Result> timeWrite(TThread &thread, const TK440 &image, int mode, int timeoutMs)
{
    thread.setMode(mode);
    return timeJob(
        thread, &TThread::writeStp, &TThread::writeErr,
        [&] { return std::make_unique<Write>(&thread, &image, mode); }, timeoutMs);
}

// Nothing when the read failed or did not end within timeoutMs.
std::optional<Result> timeRead(TThread &thread, int timeoutMs)
{
    StallMeter meter;
    QEventLoop loop;
    QElapsedTimer wall;
    Result r;
    bool done = false;
    TK440 target {};
    meter.start();
    wall.start();
    Read rd(&thread, &target);
    // Config runs in the GUI thread when the record is handed over: the end of the read.
    QObject::connect(&thread, &TThread::readCfg, &loop, [&] {
        r.wallMs = double(wall.nsecsElapsed()) / 1e6;
        done = true;
        loop.quit();
    });
    QObject::connect(&thread, &TThread::readErr, &loop, &QEventLoop::quit);
    rd.show();
    runWithin(loop, timeoutMs);
    r.stallMs = meter.stop();
    if (!done)
        return std::nullopt;
    return r;
}

// Sum of the pauses a normal-mode load of size bytes must make: 800 ms per sector erase,
// L / 256 + 1 ms per page piece, 10 ms before each read-back piece.
int loadFloorMs(int payload, int size)
{
    int ms = 0;
    for (const flash::Step &s : flash::writeSteps(payload, size))
        ms += s.isErase() ? flash::EraseMs : s.size / flash::PageSize + 1;
    int written = 0;
    for (const flash::Step &s : flash::writeSteps(payload, size))
        written += s.size;
    return ms + int(flash::readBackPieces(payload, written).size()) * flash::ReadBackPauseMs;
}

std::optional<Result> timeLoad(TThread &thread, const QByteArray &file, int timeoutMs)
{
    return timeJob(
        thread, &TThread::loadStp, &TThread::loadErr,
        [&] { return std::make_unique<Load>(&thread, file); }, timeoutMs);
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    const bool quick = app.arguments().contains(QStringLiteral("--quick"));
    // Generous bounds: with the pauses a write of mode 10 takes about four seconds.
    const int timeoutMs = quick ? 10000 : 60000;

    auto sim = makeSimulatedController(QStringLiteral("RA"));
    TThread thread; // real pauses, unless quick
    if (quick)
        thread.setSleepFunction([](int) {});
    thread.setTransport(makeSimulatedTransport(sim));
    if (!connectController(thread, timeoutMs)) {
        std::fprintf(stderr, "simulated controller did not connect\n");
        return 1;
    }

    TK440 image;
    for (int i = 0; i < TK440::Size; ++i)
        image.b[i] = quint8(i * 7);
    image.setWord(TK440::ModelOffset, TK440::ModelRA);

    if (quick)
        std::printf("quick run: no pauses, the figures mean nothing\n");
    std::printf("%-28s %10s %10s %7s %12s\n", "exchange (N = 512)", "wall ms", "floor ms", "ratio",
                "GUI stall ms");
    for (int mode : {1, 10}) {
        const int count = writeLength(mode);
        const std::optional<Result> r = timeWrite(thread, image, mode, timeoutMs);
        if (!r) {
            std::fprintf(stderr, "write in mode %d failed or did not end\n", mode);
            return 1;
        }
        const int floor = writeFloorMs(count);
        std::printf("%-28s %10.1f %10d %7.4f %12.2f\n",
                    qPrintable(QStringLiteral("write mode %1 (%2 bytes)").arg(mode).arg(count)),
                    r->wallMs, floor, r->wallMs / floor, r->stallMs);
    }
    const std::optional<Result> r = timeRead(thread, timeoutMs);
    if (!r) {
        std::fprintf(stderr, "read failed or did not end\n");
        return 1;
    }
    std::printf("%-28s %10.1f %10d %7s %12.2f\n", "read (402 bytes)", r->wallMs, 0, "-",
                r->stallMs);

    // The simulated flash stays busy for a typical part's erase and page times, within the
    // pauses that follow them.
    sim->serialFlash().setTimes(quick ? 0 : 400, 0);
    QByteArray firmware(flash::FlashSize, '\0');
    for (int i = 0; i < firmware.size(); ++i)
        firmware[i] = char(i * 13 + (i >> 8));
    const std::optional<Result> l = timeLoad(thread, firmware, quick ? timeoutMs : 120000);
    if (!l || sim->flashContents() != firmware) {
        std::fprintf(stderr, "firmware load failed or did not end\n");
        return 1;
    }
    const int floor = loadFloorMs(sim->payloadSize(), int(firmware.size()));
    std::printf("%-28s %10.1f %10d %7.4f %12.2f\n", "firmware load (131072 bytes)", l->wallMs,
                floor, l->wallMs / floor, l->stallMs);
    return 0;
}
