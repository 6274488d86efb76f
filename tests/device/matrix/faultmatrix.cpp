#include "faultmatrix.h"

#include "testsupport.h"

#include "device/monitorprotocol.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTest>
#include <QtEndian>

#include <algorithm>

using Fault = SimController::Fault;

namespace matrix {

const char *const kindNames[Kinds] = {"error",       "gone -5",    "gone -6", "short reply",
                                      "empty reply", "wrong echo", "time-out"};

const QString LostLine = QStringLiteral("Контроллер VELK K-330S отключен от шины USB");
// The hot-plug check's own text for a controller that left (its С is Cyrillic).
const QString LeftLine = QStringLiteral("Контроллер VELK K-330С отключен от шины USB");

const char *const NotSettled = "the worker did not come to rest";

bool isGone(int kind)
{
    return kind == Gone5 || kind == Gone6;
}

bool succeeds(Out o)
{
    return o == Logged || o == Retried || o == Accept;
}

bool closesItself(Out o)
{
    return o == Close || o == Close2 || o == Lost;
}

quint16 word(const QByteArray &p, int at)
{
    return p.size() >= at + 2 ? qFromBigEndian<quint16>(p.constData() + at) : 0xffff;
}

Match any()
{
    return [](const QByteArray &) {
        return true;
    };
}
Match command(quint16 code)
{
    return [code](const QByteArray &p) {
        return word(p, 0) == code;
    };
}
Match bytes(const char *hex)
{
    return [b = hexBytes(hex)](const QByteArray &p) {
        return p == b;
    };
}

Where out(quint8 ep, Match m)
{
    return {ep, std::move(m)};
}
Where out(Match m)
{
    return {0x01, std::move(m)};
}
Where in(Match m)
{
    return {0x81, std::move(m)};
}
Where at(SimController::Step step)
{
    return {0x00, {}, step};
}

// clang-format off
QList<Row> openingRows(const MakeDriver &driver, const std::array<QString, 3> &names)
{
    using S = SimController::Step;
    return {
        {names[0], driver, at(S::StepOpen),
                                step, "Контроллер на шине USB не открывается, Error=%1"},
        {names[1], driver, at(S::StepSetConfiguration),
                                step, "Конфигурация контроллера не доступна, Error=%1"},
        {names[2], driver, at(S::StepClaim),
                                step, "Интерфейс контроллера не доступен"},
    };
}

QList<Row> identificationRows(const QString &job, const MakeDriver &driver)
{
    // outcomes:                 error gone-5 gone-6 short empty echo time-out
    return {
        {job + ": identification request", driver, out(command(1)),
                                {C, C, C, _, _, _, C},
                                "Ошибка запроса идентификатора устройства=>%1"},
        {job + ": identification reply", driver, in(command(1)),
                                {C, C, C, C, C, C2, C},
                                "Ошибка приема идентификатора устройства=>%1",
                                "Ошибка приема идентификатора устройства"},
    };
}
// clang-format on

Driver::~Driver() = default;

void Driver::prepare(Run &) { }

void Driver::observe(Run &run)
{
    QVERIFY2(run.settle(), NotSettled);
}

// A worker in mode 10 (every log line) on a simulated K-330RA whose time-outs last 20 ms and
// whose departure runs the hot-plug check as the main window has it run; pauses are skipped.
Run::Run(std::unique_ptr<Driver> d, int k)
    : rig(WorkerRig::Options {
        .mode = 10, .connect = d->connectedFirst(), .timeoutWait = 20, .hotplug = true})
    , thread(rig.thread)
    , sim(*rig.sim)
    , kind(k)
    , driver(std::move(d))
{
    sim.monitorStream().setFlatOut(true);
}

bool Run::settle(int ms)
{
    QDeadlineTimer deadline(ms);
    const auto idle = [this] {
        return thread.queuedJobs() == 0 && !thread.isRunning();
    };
    while (!deadline.hasExpired()) {
        if (!QTest::qWaitFor(idle, int(deadline.remainingTime())))
            return false;
        QTest::qWait(30); // queued signals and a hot-plug notification reach this thread
        if (!idle())
            continue;
        // What the worker emitted before it came to rest is queued by now; it may have come
        // to rest at the very end of the wait.
        QCoreApplication::processEvents();
        if (idle())
            return true;
    }
    return false;
}

Spot locate(const QList<Transfer> &log, const Where &w)
{
    int bulk = 0;
    QHash<quint8, int> perEndpoint;
    bool answering = false; // the last command written is the row's
    for (const Transfer &t : log) {
        if (t.endpoint == 0x00)
            continue; // control requests are not bulk transfers
        ++bulk;
        const int nth = ++perEndpoint[t.endpoint];
        if (w.endpoint == 0x81) {
            if (t.endpoint == 0x01)
                answering = w.packet(t.data);
            else if (t.endpoint == 0x81 && answering)
                return {true, bulk, nth == 1, t.result};
        } else if (t.endpoint == w.endpoint && w.packet(t.data)) {
            return {true, bulk, nth == 1, t.result};
        }
    }
    return {};
}

namespace {

Fault faultOf(int kind, const Spot &spot)
{
    switch (Kind(kind)) {
    case Error:
        return Fault::error(ErrorNumber);
    case Gone5:
        return Fault::vanish(-5);
    case Gone6:
        return Fault::vanish(-6);
    case Short:
        return Fault::shortened(spot.replySize - 1);
    case Empty:
        return Fault::empty();
    case WrongEcho: {
        QByteArray echo(2, '\0');
        qToBigEndian<quint16>(ForeignEcho, echo.data());
        return Fault::patch(0, echo);
    }
    case Timeout:
    case Kinds:
        break;
    }
    return Fault::timeout();
}

// Puts the fault on the row's transfer or set-up step. A running stream keeps its record from
// the start, so that every frame a view takes is in it; its faults go to the next transfer on
// the endpoint, as the stream's reads come between the switch's transfers.
void armFault(const Row &row, Run &run, const Spot &spot)
{
    if (!run.driver->streams())
        run.sim.clearTransfers();
    if (!run.faulted())
        return;
    if (row.where.step) {
        if (isGone(run.kind))
            run.sim.vanishAtStep(*row.where.step, numberOf(run.kind, spot));
        else
            run.sim.failStep(*row.where.step, numberOf(run.kind, spot));
    } else if (run.driver->streams() || spot.firstOnEndpoint) {
        run.sim.failNext(row.where.endpoint, faultOf(run.kind, spot));
    } else {
        run.sim.failTransfer(spot.index, faultOf(run.kind, spot));
    }
}

} // namespace

int numberOf(int kind, const Spot &spot)
{
    switch (Kind(kind)) {
    case Error:
        return ErrorNumber;
    case Gone5:
        return -5;
    case Gone6:
        return -6;
    case Short:
        return spot.replySize - 1;
    case Empty:
        return 0;
    case WrongEcho:
        return ForeignEcho;
    case Timeout:
    case Kinds:
        break;
    }
    return -110;
}

bool isFaultedRead(const Transfer &t, int kind)
{
    if (t.endpoint != 0x82)
        return false;
    switch (Kind(kind)) {
    case Short:
        return t.result == monitor::FrameSize - 1;
    case Empty:
        return t.result == 0;
    case WrongEcho:
        return t.result == monitor::FrameSize && quint8(t.data[1]) == (ForeignEcho & 0xff);
    default:
        return t.result == numberOf(kind, {});
    }
}

void runJob(const Row &row, int kind, const Spot &spot, Observed &res)
{
    Run run(row.driver(), kind);
    QVERIFY2(run.rig.ready, "the simulated controller did not connect");
    Driver &driver = *run.driver;
    res.after = driver.afterwards();
    driver.prepare(run);
    if (QTest::currentTestFailed())
        return;
    run.log = watch(run, &TThread::mes);
    run.conn = watch(run, &TThread::conn);
    armFault(row, run, spot);
    driver.request(run);
    if (QTest::currentTestFailed())
        return;
    driver.observe(run);
    if (QTest::currentTestFailed())
        return;
    res.log = run.log->strings();
    for (const QVariantList &c : std::as_const(run.conn->calls))
        res.conn.append(c.value(0).toBool());
    res.connected = run.thread.isConnected();
    res.transfers = run.sim.transfers();
    res.succeeded = run.succeeded;
}

namespace {

struct Section
{
    int order;
    QList<Row> (*rows)();
};

QList<Section> &sections()
{
    static QList<Section> all;
    return all;
}

} // namespace

Register::Register(int order, QList<Row> (*rows)())
{
    sections().append({order, rows});
}

const QList<Row> &rows()
{
    static const QList<Row> table = [] {
        QList<Section> all = sections();
        std::stable_sort(all.begin(), all.end(),
                         [](const Section &a, const Section &b) { return a.order < b.order; });
        QList<Row> t;
        for (const Section &s : std::as_const(all))
            t += s.rows();
        return t;
    }();
    return table;
}

} // namespace matrix
