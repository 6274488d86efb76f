// Four oscilloscopes and the constellation open at 32768 positions in a multi-document area,
// the simulated controller streaming at a given rate or flat out: frames drawn per second in
// total, frames the views lost (dropped from a full hand-over or overwritten before a view
// took them), the longest stall of the GUI event loop, resident memory after the first sweep
// and at the end, and CPU time per second of the process and of the GUI thread, with the load
// average of the machine beside them. Prints figures and judges none of them; it fails only
// when the controller does not connect or nothing is drawn.
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
#include <QMap>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <ctime>

namespace {

constexpr int SamplesPerFrame = 255;

struct Options
{
    bool quick = false;
    int seconds = 60;
    int positions = 32768;
    int rate = 0; // frames per second; 0: flat out
};

Options parse(const QStringList &args)
{
    Options o;
    const auto value = [&args](const char *name, int fallback) {
        const qsizetype i = args.indexOf(QLatin1String(name));
        return i > 0 && i + 1 < args.size() ? args.at(i + 1).toInt() : fallback;
    };
    o.quick = args.contains(QStringLiteral("--quick"));
    o.seconds = std::max(1, value("--seconds", o.quick ? 1 : 60));
    o.positions = std::clamp(value("--positions", 32768), 1, 32768);
    o.rate = std::max(0, value("--rate", 0));
    return o;
}

// The application, timing each event it delivers: the slowest one after the first sweep says
// what a stall of the event loop was spent on.
class TimedApplication : public QApplication
{
public:
    using QApplication::QApplication;

    bool notify(QObject *receiver, QEvent *event) override
    {
        if (timing && event->type() == QEvent::Paint && receiver->parent()
            && receiver->parent()->parent()) {
            QElapsedTimer t;
            t.start();
            const bool done = QApplication::notify(receiver, event);
            const qint64 ns = t.nsecsElapsed();
            // A view's viewport: its window is the view's parent.
            const QByteArray cls = receiver->parent()->parent()->metaObject()->className();
            if (ns > paintMax.value(cls))
                paintMax.insert(cls, ns);
            return done;
        }
        if (!timing || depth > 0)
            return QApplication::notify(receiver, event);
        ++depth;
        const int type = event->type();
        QElapsedTimer t;
        t.start();
        const bool done = QApplication::notify(receiver, event);
        const qint64 ns = t.nsecsElapsed();
        --depth;
        if (ns > slowestNs) {
            slowestNs = ns;
            slowestType = type;
            slowestReceiver = receiver->metaObject()->className();
        }
        return done;
    }

    bool timing = false;
    int depth = 0;
    qint64 slowestNs = 0;
    int slowestType = 0;
    QByteArray slowestReceiver;
    QMap<QByteArray, qint64> paintMax; // the slowest paint of each window class
};

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

// The first three fields of /proc/loadavg: the machine is shared, and the figures depend on it.
QByteArray loadAverage()
{
    QFile f(QStringLiteral("/proc/loadavg"));
    if (!f.open(QIODevice::ReadOnly))
        return "?";
    return f.readAll().split(' ').mid(0, 3).join(' ');
}

double cpuSeconds(clockid_t clock)
{
    timespec t {};
    clock_gettime(clock, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
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

QList<QWidget *> openViews(QMdiArea *area, TThread &thread, int positions)
{
    QList<QWidget *> views;
    views.append(new Constellation(nullptr, &thread, 0, true));
    for (quint16 c = 1; c <= 4; ++c)
        views.append(new Oscilloscope(nullptr, &thread, c, true));
    for (QWidget *v : views) {
        area->addSubWindow(v)->resize(600, 450);
        v->findChild<QSpinBox *>(QStringLiteral("spinSize"))->setValue(positions);
    }
    return views;
}

void clickRun(const QList<QWidget *> &views)
{
    for (QWidget *v : views)
        v->findChild<QPushButton *>(QStringLiteral("bRun"))->click();
}

// What the run measures while the event loop turns.
struct Probes
{
    // The longest gap between ticks of a 1 ms timer beyond its interval: the longest time the
    // event loop could not serve anything else; overall and after the first sweep.
    QElapsedTimer clock;
    qint64 lastTick = -1, worstGapNs = 0, worstGapAfterSweepNs = 0;
    // CPU time the GUI thread spent within the longest gap after the first sweep: near the
    // gap, the loop was busy; near nothing, the thread was waiting for a core.
    double lastTickCpu = 0, worstGapCpu = 0;
    QTimer tick;
    // Resident memory once every view has filled its positions once.
    QTimer probe;
    bool swept = false;
    long rssFirstSweep = -1;
    quint64 lostFirstSweep = 0; // frames lost while the views created their items
    double guiCpu = 0; // CPU seconds of the GUI thread during the run

    void start(TThread &thread, quint64 firstSweep)
    {
        tick.setTimerType(Qt::PreciseTimer);
        tick.setInterval(1);
        QObject::connect(&tick, &QTimer::timeout, [this] {
            const qint64 now = clock.nsecsElapsed();
            const double cpu = cpuSeconds(CLOCK_THREAD_CPUTIME_ID);
            if (lastTick >= 0) {
                worstGapNs = std::max(worstGapNs, now - lastTick);
                if (swept && now - lastTick > worstGapAfterSweepNs) {
                    worstGapAfterSweepNs = now - lastTick;
                    worstGapCpu = cpu - lastTickCpu;
                }
            }
            lastTick = now;
            lastTickCpu = cpu;
        });
        probe.setInterval(50);
        QObject::connect(&probe, &QTimer::timeout, [this, &thread, firstSweep] {
            if (rssFirstSweep < 0 && framesDrawn(thread) >= firstSweep) {
                rssFirstSweep = residentKiB();
                lostFirstSweep = thread.monitorOverwritten();
                swept = true;
                static_cast<TimedApplication *>(qApp)->timing = true;
            }
        });
        clock.start();
        guiCpu = cpuSeconds(CLOCK_THREAD_CPUTIME_ID);
        tick.start();
        probe.start();
    }
    void stop()
    {
        tick.stop();
        probe.stop();
        guiCpu = cpuSeconds(CLOCK_THREAD_CPUTIME_ID) - guiCpu;
    }
};

struct Figures
{
    double elapsed, processCpu;
    quint64 stored, drawn, lost;
    long rssBefore, rssEnd;
    QByteArray loadBefore, loadAfter;
};

void print(const Options &o, const Probes &p, const Figures &f)
{
    if (o.quick)
        std::printf("quick run: %d s, the figures mean nothing\n", o.seconds);
    std::printf("views: 4 oscilloscopes + 1 constellation at %d positions, controller %s\n",
                o.positions,
                o.rate > 0 ? qPrintable(QStringLiteral("at %1 frames/s").arg(o.rate)) : "flat out");
    std::printf("load average before, after     %s | %s\n", f.loadBefore.constData(),
                f.loadAfter.constData());
    std::printf("run time                      %10.1f s\n", f.elapsed);
    std::printf("frames read from the stream   %10.0f /s\n", double(f.stored) / f.elapsed);
    std::printf("frames drawn in total         %10.0f /s\n", double(f.drawn) / f.elapsed);
    std::printf("frames dropped or overwritten %10llu\n", static_cast<unsigned long long>(f.lost));
    std::printf("  of it during the first sweep  %10llu\n",
                static_cast<unsigned long long>(p.lostFirstSweep));
    std::printf("longest GUI event-loop stall  %10.2f ms\n", double(p.worstGapNs) / 1e6 - 1);
    // The first sweep creates every item; after it, items only move.
    std::printf("  of it after the first sweep   %10.2f ms\n",
                p.swept ? double(p.worstGapAfterSweepNs) / 1e6 - 1 : -1.0);
    std::printf("    GUI thread busy within it   %10.2f ms\n", p.worstGapCpu * 1e3);
    const auto *app = static_cast<TimedApplication *>(qApp);
    std::printf("    slowest event after it      %10.2f ms (type %d to %s)\n",
                double(app->slowestNs) / 1e6, app->slowestType, app->slowestReceiver.constData());
    for (auto it = app->paintMax.begin(); it != app->paintMax.end(); ++it)
        std::printf("    slowest paint of %-14s %7.2f ms\n", it.key().constData(),
                    double(it.value()) / 1e6);
    std::printf("resident memory at start      %10ld KiB\n", f.rssBefore);
    std::printf("resident memory, first sweep  %10ld KiB\n", p.rssFirstSweep);
    std::printf("resident memory at the end    %10ld KiB\n", f.rssEnd);
    // The process includes the simulated controller, which makes every frame it streams.
    std::printf("CPU time of the process       %10.3f s/s\n", f.processCpu / f.elapsed);
    std::printf("  of it the GUI thread          %10.3f s/s\n", p.guiCpu / f.elapsed);
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    TimedApplication app(argc, argv);
    const Options o = parse(app.arguments());

    auto sim = makeSimulatedController(QStringLiteral("RA"));
    sim->setRecording(false); // the transfer record would grow with every frame
    if (o.rate > 0)
        sim->monitorStream().setFrameRate(o.rate);
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
    const QList<QWidget *> views = openViews(area, thread, o.positions);
    main.show();
    area->tileSubWindows();
    QCoreApplication::processEvents();

    Figures f {};
    f.loadBefore = loadAverage();
    f.rssBefore = residentKiB();
    Probes p;
    p.start(thread, quint64(views.size()) * quint64(o.positions / SamplesPerFrame + 1));
    f.processCpu = cpuSeconds(CLOCK_PROCESS_CPUTIME_ID);
    clickRun(views);
    QEventLoop loop;
    QTimer::singleShot(o.seconds * 1000, &loop, &QEventLoop::quit);
    loop.exec();
    f.elapsed = double(p.clock.nsecsElapsed()) / 1e9;
    f.processCpu = cpuSeconds(CLOCK_PROCESS_CPUTIME_ID) - f.processCpu;
    p.stop();
    f.drawn = framesDrawn(thread);
    f.stored = thread.monitorFrames();
    f.lost = thread.monitorOverwritten();
    f.rssEnd = residentKiB();
    f.loadAfter = loadAverage();
    clickRun(views);

    print(o, p, f);
    qDeleteAll(views);
    return f.drawn > 0 ? 0 : 1;
}
