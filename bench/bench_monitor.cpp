// Four oscilloscopes and the constellation open at 32768 positions in a multi-document area,
// the simulated controller streaming flat out: frames drawn per second in total, the longest
// stall of the GUI event loop, frames the views missed, and resident memory after the first
// sweep and at the end. Prints figures and judges none of them; it fails only when the
// controller does not connect or nothing is drawn.
//
// Full run: 60 s (--seconds N to change it; --positions N for fewer positions; --rate N paces the
// controller at N frames per second, 1190 being the full-speed USB ceiling). --quick runs for one
// second: a check that the benchmark still runs, whose figures mean nothing.

#include "device/tthread.h"
#include "sim/simcontroller.h"
#include "sim/simtransport.h"
#include "views/constellation.h"
#include "views/oscilloscope.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>

#include <algorithm>
#include <cstdio>

namespace {

constexpr int SamplesPerFrame = 255;

// Resident memory of this process in KiB.
long residentKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    return -1;
}

bool connectController(TThread &thread, int timeoutMs)
{
    QEventLoop loop;
    QObject::connect(&thread, &TThread::conn, &loop, [&](bool connected) {
        if (connected)
            loop.quit();
    });
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    thread.checkDevice();
    loop.exec();
    return thread.isConnected();
}

// Frames a view has taken from its block: every stored frame that was neither dropped
// before its view came to it nor still waits in its block or the queue behind it.
quint64 framesDrawn(TThread &thread)
{
    int waiting = 0;
    {
        MonitorReadLock lock(thread.monitorRecords());
        for (const TMonBlock &b : lock->ch)
            waiting += b.len != 0 ? 1 : 0;
    }
    return thread.monitorFrames() - thread.monitorOverwritten() - quint64(waiting)
        - quint64(thread.monitorQueued());
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const bool quick = args.contains(QStringLiteral("--quick"));
    int seconds = quick ? 1 : 60;
    if (const qsizetype i = args.indexOf(QStringLiteral("--seconds")); i > 0 && i + 1 < args.size())
        seconds = std::max(1, args.at(i + 1).toInt());
    int Positions = 32768;
    if (const qsizetype i = args.indexOf(QStringLiteral("--positions"));
        i > 0 && i + 1 < args.size())
        Positions = std::clamp(args.at(i + 1).toInt(), 1, 32768);

    auto sim = makeSimulatedController(QStringLiteral("RA"));
    sim->setRecording(false); // the transfer record would grow with every frame
    // --rate N paces the controller at N frames per second instead of flat out.
    int rate = 0;
    if (const qsizetype i = args.indexOf(QStringLiteral("--rate")); i > 0 && i + 1 < args.size())
        rate = std::max(0, args.at(i + 1).toInt());
    if (rate > 0)
        sim->monitorStream().setFrameRate(rate);
    else
        sim->monitorStream().setFlatOut(true);
    TThread thread;
    thread.setTransport(makeSimulatedTransport(sim));
    if (!connectController(thread, 10000)) {
        std::fprintf(stderr, "simulated controller did not connect\n");
        return 1;
    }

    QMainWindow main;
    auto *area = new QMdiArea;
    main.setCentralWidget(area);
    main.resize(1280, 1024);
    QList<QWidget *> views;
    views.append(new Constellation(nullptr, &thread, 0, true));
    for (quint16 c = 1; c <= 4; ++c)
        views.append(new Oscilloscope(nullptr, &thread, c, true));
    for (QWidget *v : views) {
        area->addSubWindow(v)->resize(600, 450);
        v->findChild<QSpinBox *>(QStringLiteral("spinSize"))->setValue(Positions);
    }
    main.show();
    area->tileSubWindows();
    QCoreApplication::processEvents();

    // The longest gap between ticks of a 1 ms timer beyond its interval: the longest time the
    // event loop could not serve anything else.
    QElapsedTimer clock;
    qint64 lastTick = -1, worstGapNs = 0, worstGapAfterSweepNs = 0;
    bool swept = false; // every view has filled its positions once
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    tick.setInterval(1);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        if (lastTick >= 0) {
            worstGapNs = std::max(worstGapNs, now - lastTick);
            if (swept)
                worstGapAfterSweepNs = std::max(worstGapAfterSweepNs, now - lastTick);
        }
        lastTick = now;
    });

    // Resident memory once every view has filled its positions once.
    const quint64 firstSweep = quint64(views.size()) * (Positions / SamplesPerFrame + 1);
    long rssFirstSweep = -1;
    QTimer probe;
    probe.setInterval(50);
    QObject::connect(&probe, &QTimer::timeout, [&] {
        if (rssFirstSweep < 0 && framesDrawn(thread) >= firstSweep) {
            rssFirstSweep = residentKiB();
            swept = true;
        }
    });

    const long rssBefore = residentKiB();
    clock.start();
    tick.start();
    probe.start();
    for (QWidget *v : views)
        v->findChild<QPushButton *>(QStringLiteral("bRun"))->click();
    QEventLoop loop;
    QTimer::singleShot(seconds * 1000, &loop, &QEventLoop::quit);
    loop.exec();
    const double elapsed = double(clock.nsecsElapsed()) / 1e9;
    tick.stop();
    probe.stop();

    const quint64 drawn = framesDrawn(thread);
    const quint64 stored = thread.monitorFrames();
    const quint64 missed = thread.monitorOverwritten();
    const long rssEnd = residentKiB();
    for (QWidget *v : views)
        v->findChild<QPushButton *>(QStringLiteral("bRun"))->click();

    if (quick)
        std::printf("quick run: %d s, the figures mean nothing\n", seconds);
    std::printf("views: 4 oscilloscopes + 1 constellation at %d positions, controller %s\n",
                Positions,
                rate > 0 ? qPrintable(QStringLiteral("at %1 frames/s").arg(rate)) : "flat out");
    std::printf("run time                      %10.1f s\n", elapsed);
    std::printf("frames read from the stream   %10.0f /s\n", double(stored) / elapsed);
    std::printf("frames drawn in total         %10.0f /s\n", double(drawn) / elapsed);
    std::printf("frames dropped undrawn        %10llu\n", static_cast<unsigned long long>(missed));
    std::printf("longest GUI event-loop stall  %10.2f ms\n", double(worstGapNs) / 1e6 - 1);
    // The first sweep creates every item; after it, items only move.
    std::printf("  of it after the first sweep   %10.2f ms\n",
                swept ? double(worstGapAfterSweepNs) / 1e6 - 1 : -1.0);
    std::printf("resident memory at start      %10ld KiB\n", rssBefore);
    std::printf("resident memory, first sweep  %10ld KiB\n", rssFirstSweep);
    std::printf("resident memory at the end    %10ld KiB\n", rssEnd);

    qDeleteAll(views);
    return drawn > 0 ? 0 : 1;
}
