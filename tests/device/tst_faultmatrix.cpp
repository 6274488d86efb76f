// Every transfer of every exchange with the controller, and every set-up step of opening it,
// under every kind of fault. One table holds one row per transfer and, per fault kind, what the
// exchange makes of it; the cells are generated from it and each runs the real worker against
// the simulated controller.
// A cell checks that the worker neither crashes nor hangs, logs the exchange's own message,
// emits the job's failure signal, leaves the connection in the state the exchange defines, and
// leaves the image, record or file it worked on as it was.

#include "queuedspy.h"
#include "testsupport.h"

#include "config/tk440.h"
#include "device/monitorprotocol.h"
#include "device/tthread.h"
#include "device/usbhotplug.h"
#include "sim/simcontroller.h"
#include "sim/simtransport.h"

#include <QDeadlineTimer>
#include <QSet>
#include <QTest>
#include <QtEndian>

#include <array>
#include <functional>
#include <optional>

using Fault = SimController::Fault;
using Transfer = SimUsbDevice::Transfer;

namespace {

// --- The columns: kinds of fault, each hitting one transfer ---

enum Kind { Error, Gone5, Gone6, Short, Empty, WrongEcho, Timeout, Kinds };
const char *const kindNames[Kinds] = {"error",       "gone -5",    "gone -6", "short reply",
                                      "empty reply", "wrong echo", "time-out"};

constexpr int ErrorNumber = -32; // a transfer error that is not a removal
constexpr quint16 ForeignEcho = 0x7f7f; // first word of a reply to some other command

bool isGone(int kind)
{
    return kind == Gone5 || kind == Gone6;
}

// --- What a cell expects of the exchange ---

enum Out {
    NA, // the fault cannot happen on this transfer
    Fail, // logs its message and gives up; the connection stays
    Fail2, // as Fail, with the row's second message
    Close, // logs its message, closes the connection and announces it gone
    Close2, // as Close, with the row's second message
    Lost, // takes the removal: closes and announces the connection gone, nothing else
    Logged, // logs its message and goes on to succeed
    Retried, // logs its second message, asks again and succeeds
    Accept, // goes through as without the fault
    Quiet, // gives up without a word
    Dropped, // the monitor stream drops what the read brought and goes on
};

bool succeeds(Out o)
{
    return o == Logged || o == Retried || o == Accept;
}

bool closesItself(Out o)
{
    return o == Close || o == Close2 || o == Lost;
}

// --- The rows: transfers ---

enum class Job {
    Handshake, // the hot-plug check opening a plugged-in controller
    Read,
    Write,
    Load,
    Boot, // firmware load in boot mode (no connection open)
    Live,
    Reset, // statistics with the counters' reset first
    Report,
    Trace,
    MonitorOn,
    MonitorOff,
    MonitorRead,
    ShutDown, // the worker stopped while a channel streams
};

using Match = std::function<bool(const QByteArray &packet)>;

// The transfer a row faults: on an OUT endpoint the first packet that matches; on 0x81 the
// reply to it; on 0x82 the next stream read. Or a set-up step of the opening, which fails or
// during which the controller leaves.
struct Where
{
    quint8 endpoint;
    Match packet;
    std::optional<SimController::Step> step = {};
};

struct Row
{
    QString name;
    Job job;
    Where where;
    std::array<Out, Kinds> out; // error, gone -5, gone -6, short, empty, wrong echo, time-out
    QString text; // the exchange's message; %1 stands for the number it ends in
    QString text2 = {}; // its second message, for Fail2, Close2, Retried
    std::function<void(TThread &)> request = {}; // live commands
};

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
Match memoryRead()
{
    return [](const QByteArray &p) {
        return word(p, 0) == 3 && word(p, 2) != 0;
    };
}
Match memoryWrite()
{
    return [](const QByteArray &p) {
        return word(p, 0) == 3 && word(p, 2) == 0;
    };
}
Match flashOp(quint8 op)
{
    return [op](const QByteArray &p) {
        return word(p, 0) == 2 && p.size() > 8 && quint8(p[8]) == op;
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

constexpr Out F = Fail, F2 = Fail2, C = Close, C2 = Close2, L = Lost, G = Logged, R = Retried,
              A = Accept, Q = Quiet, D = Dropped, _ = NA;
// A packet written: it goes or it fails; there is no reply to cut, empty or echo wrongly.
constexpr std::array<Out, Kinds> sent = {F, F, F, _, _, _, F};
// A reply of which only a failed read counts: any acknowledgement will do.
constexpr std::array<Out, Kinds> acknowledged = {F, F, F, A, A, A, F};
// A reply whose data counts, whatever its header says.
constexpr std::array<Out, Kinds> data = {F, F, F, F, F, A, F};
// A set-up step: it goes or it fails, and carries no reply.
constexpr std::array<Out, Kinds> step = {F, F, F, _, _, _, F};

const quint16 words[9] = {0x0102, 0x0304, 0x0506, 0x0708, 0x090a, 0x0b0c, 0x0d0e, 0x0f10, 0xfffe};

struct LiveKind
{
    const char *name;
    std::function<void(TThread &)> request;
    QString sendText;
    QString ackText;
};

QString parameterText(const char *values)
{
    const QString t =
        QStringLiteral("Ошибка передачи команды: %1  ошибка=").arg(QLatin1String(values));
    return t + QStringLiteral("%1");
}

QList<LiveKind> liveKinds()
{
    const auto param = [](const char *name, void (TThread::*req)(const quint16 *, int),
                          const char *values) {
        return LiveKind {name, [req](TThread &t) { (t.*req)(words, 4); }, parameterText(values),
                         parameterText(values)};
    };
    return {
        {"codec register", [](TThread &t) { t.reqCodec(12, 63); },
         "Ошибка передачи команды кодека=>%1", "Ошибка подтверждения команды кодека=>%1"},
        {"amplifier", [](TThread &t) { t.reqAmp(213); }, "Ошибка передачи команды усилителя=>%1",
         "Ошибка подтверждения команды усилителя=>%1"},
        param("parameter 4", &TThread::reqParam4, "4=0x1; 0x2; 0x3; 0x4;"),
        {"parameter 5", [](TThread &t) { t.reqParam5(1, 44); }, parameterText("5=0x1; 0x2c;"),
         parameterText("5=0x1; 0x2c;")},
        {"parameter 6", [](TThread &t) { t.reqParam6(7, 0); }, parameterText("6=0x7; 0x0;"),
         parameterText("6=0x7; 0x0;")},
        param("parameter 7", &TThread::reqParam7, "7=0x1; 0x2; 0x3; 0x4;"),
        param("parameter 8", &TThread::reqParam8, "8=0x1; 0x2; 0x3; 0x4;"),
        param("parameter 9", &TThread::reqParam9, "9=0x1; 0x2; 0x3; 0x4;"),
        param("parameter 10", &TThread::reqParam10, "10=0x1; 0x2; 0x3; 0x4;"),
        param("parameter 11", &TThread::reqParam11, "11=0x1; 0x2; 0x3; 0x4;"),
        {"trace mode", [](TThread &t) { t.reqTraceMode(0x1234); }, parameterText("15=0x12; 0x34;"),
         parameterText("15=0x12; 0x34;")},
    };
}

// The table: one row per transfer (or set-up step of the opening). Each row names the transfer,
// the job that makes it and where it is, then what the exchange makes of each fault kind, then
// the exchange's message (and its second message, where a column says so).
// Named outcome rows: sent, acknowledged, data, step (see above).
// clang-format off
const QList<Row> &rows()
{
    using S = SimController::Step;
    static const QList<Row> table = [] {
        // outcomes:    error gone-5 gone-6 short empty echo time-out
        QList<Row> t {
            {"opening: device", Job::Handshake, at(S::StepOpen),
                            step, "Контроллер на шине USB не открывается, Error=%1"},
            {"opening: configuration 2", Job::Handshake, at(S::StepSetConfiguration),
                            step, "Конфигурация контроллера не доступна, Error=%1"},
            {"opening: interface", Job::Handshake, at(S::StepClaim),
                            step, "Интерфейс контроллера не доступен"},
            {"handshake: request", Job::Handshake, out(bytes("00004000")),
                            sent, "Ошибка передачи данных=>%1"},
            {"handshake: reply", Job::Handshake, in(bytes("00004000")),
                            {F, F, F, F2, F2, A, F},
                            "Ошибка приема данных=>%1", "Ошибка инициализации соединения"},
        };
        const std::pair<const char *, Job> identifying[] = {
            {"configuration read", Job::Read},
            {"configuration write", Job::Write},
            {"firmware load", Job::Load},
        };
        for (const auto &[name, job] : identifying) {
            t << Row {QLatin1String(name) + ": identification request", job, out(command(1)),
                            {C, C, C, _, _, _, C},
                            "Ошибка запроса идентификатора устройства=>%1"}
              << Row {QLatin1String(name) + ": identification reply", job, in(command(1)),
                            {C, C, C, C, C, C2, C},
                            "Ошибка приема идентификатора устройства=>%1",
                            "Ошибка приема идентификатора устройства"};
        }
        t << Row {"configuration read: block request", Job::Read, out(memoryRead()),
                            sent, "Ошибка запроса конфигурации устройства=>%1"}
          << Row {"configuration read: block reply", Job::Read, in(memoryRead()),
                            data, "Ошибка приема конфигурации устройства=>%1"}
          << Row {"configuration write: block", Job::Write, out(memoryWrite()),
                            sent, "Ошибка записи в устройства=>%1"}
          << Row {"configuration write: acknowledgement", Job::Write, in(memoryWrite()),
                            acknowledged, "Ошибка подтверждения записи=>%1"}
          << Row {"configuration write: read-back request", Job::Write, out(memoryRead()),
                            sent, "Ошибка запроса данных =>%1"}
          << Row {"configuration write: read-back reply", Job::Write, in(memoryRead()),
                            data, "Ошибка приема данных=>%1"};
        for (const LiveKind &k : liveKinds()) {
            t << Row {QStringLiteral("live %1: command").arg(QLatin1String(k.name)), Job::Live, out(any()),
                            sent, k.sendText, {}, k.request}
              << Row {QStringLiteral("live %1: acknowledgement").arg(QLatin1String(k.name)), Job::Live, in(any()),
                            acknowledged, k.ackText, {}, k.request};
        }
        t << Row {"statistics: reset", Job::Reset, out(command(12)),
                            {G, L, L, _, _, _, G},
                            "Ошибка передачи команды: 12 ошибка=%1"}
          << Row {"statistics: request", Job::Report, out(command(13)),
                            {F, L, L, _, _, _, F},
                            "Ошибка передачи команды: 13 ошибка=%1"}
          << Row {"statistics: reply", Job::Report, in(command(13)),
                            {F, F, F, F2, F, A, F},
                            "Ошибка передачи команды: 13 ошибка=%1", "Ошибка приема команды: 13 ошибка=%1"}
          << Row {"trace: request", Job::Trace, out(command(16)),
                            {F, L, L, _, _, _, F},
                            "Ошибка передачи команды: 16 ошибка=%1"}
          // A reply shorter than its header still echoes 16 and is handed on without a line.
          << Row {"trace: reply", Job::Trace, in(command(16)),
                            {F, F, F, A, F, R, F},
                            "Ошибка приема команды: 16 ошибка=%1", "Ошибка ID команды: 16 ошибка=%1"}
          << Row {"monitor: switch on", Job::MonitorOn, out(bytes("000e8001")),
                            {Q, Q, Q, _, _, _, Q}, {}}
          << Row {"monitor: switch-on acknowledgement", Job::MonitorOn, in(bytes("000e8001")),
                            {Q, Q, Q, A, Q, A, Q}, {}}
          << Row {"monitor: switch off", Job::MonitorOff, out(bytes("000e0001")),
                            {Q, Q, Q, _, _, _, Q}, {}}
          << Row {"monitor: switch-off acknowledgement", Job::MonitorOff, in(bytes("000e0001")),
                            {Q, Q, Q, A, Q, A, Q}, {}}
          // A wrong echo on the stream is a frame that names a channel nobody switched on.
          << Row {"monitor: stream read", Job::MonitorRead, {0x82, any()},
                            {D, C, C, D, D, D, D},
                            "Ошибка монитора= %1"}
          // At shut-down the worker switches off what is still on: a switch-off the controller
          // took ends its stream whatever became of the acknowledgement.
          << Row {"monitor: switch off at shut-down", Job::ShutDown, out(bytes("000e0001")),
                            {Q, Q, Q, _, _, _, Q}, {}}
          << Row {"monitor: switch-off acknowledgement at shut-down", Job::ShutDown, in(bytes("000e0001")),
                            {A, A, A, A, A, A, A}, {}}
          << Row {"firmware load: status request", Job::Load, out(flashOp(0x05)),
                            sent, "Ошибка запроса RDSR=>%1"}
          << Row {"firmware load: status reply", Job::Load, in(flashOp(0x05)),
                            data, "Ошибка чтения RDSR=>%1"}
          << Row {"firmware load: write enable", Job::Load, out(flashOp(0x06)),
                            sent, "Ошибка передачи WREN=>%1"}
          << Row {"firmware load: write enable reply", Job::Load, in(flashOp(0x06)),
                            acknowledged, "Ошибка подтверждения WREN=>%1"}
          << Row {"firmware load: sector erase", Job::Load, out(flashOp(0xd8)),
                            sent, "Ошибка передачи SE=>%1"}
          << Row {"firmware load: sector erase reply", Job::Load, in(flashOp(0xd8)),
                            acknowledged, "Ошибка подтверждения SE=>%1"}
          << Row {"firmware load: page program", Job::Load, out(flashOp(0x02)),
                            sent, "Ошибка передачи WrData=>%1"}
          << Row {"firmware load: page program reply", Job::Load, in(flashOp(0x02)),
                            acknowledged, "Ошибка подтверждения WrData=>%1"}
          << Row {"firmware load: read-back request", Job::Load, out(flashOp(0x03)),
                            sent, "Ошибка запроса RdData=>%1"}
          << Row {"firmware load: read-back reply", Job::Load, in(flashOp(0x03)),
                            data, "Ошибка приема RdData=>%1"}
          << Row {"firmware load in boot mode: opening", Job::Boot, at(S::StepOpen),
                            step, "Контроллер на шине USB не открывается, Error=%1"}
          << Row {"firmware load in boot mode: configuration 1", Job::Boot, at(S::StepSetConfiguration),
                            step, "Конфигурация контроллера не доступна, Error=%1"}
          << Row {"firmware load in boot mode: interface", Job::Boot, at(S::StepClaim),
                            step, "Интерфейс контроллера не доступен"}
          << Row {"firmware load in boot mode: stream piece", Job::Boot, out(0x06, any()),
                            sent, "Ошибка записи в устройства=>%1"};
        return t;
    }();
    return table;
}
// clang-format on

// --- Running a cell ---

const QString LostLine = QStringLiteral("Контроллер VELK K-330S отключен от шины USB");
// The hot-plug check's own text for a controller that left (its С is Cyrillic).
const QString LeftLine = QStringLiteral("Контроллер VELK K-330С отключен от шины USB");
constexpr int WriteCount = 182;
constexpr int FileSize = 100;

// Waits until the worker has drained its queue and no hot-plug check waits any more; false
// when that does not happen within the bound (a hang).
bool settle(TThread &t, int ms = 10000)
{
    QDeadlineTimer deadline(ms);
    const auto idle = [&t] {
        return t.queuedJobs() == 0 && !t.isRunning();
    };
    while (!deadline.hasExpired()) {
        if (!QTest::qWaitFor(idle, int(deadline.remainingTime())))
            return false;
        QTest::qWait(30); // queued signals and a hot-plug notification reach this thread
        if (idle())
            return true;
    }
    return false;
}

// A worker in mode 10 (every log line) on a simulated K-330RA whose time-outs last 20 ms and
// whose departure runs the hot-plug check as the main window has it run; pauses are skipped.
struct Rig
{
    explicit Rig(bool connected)
        : sim(makeSimulatedController(QStringLiteral("RA")))
    {
        sim->setTimeoutWait(20);
        thread.setSleepFunction([](int) {});
        thread.setMode(10);
        thread.setTransport(makeSimulatedTransport(sim));
        QObject::connect(thread.hotplug(), &UsbHotplug::deviceChanged, &thread,
                         &TThread::checkDevice);
        if (connected) {
            thread.checkDevice();
            ready = settle(thread) && thread.isConnected();
        }
    }
    ~Rig()
    {
        thread.stop();
        thread.wait();
    }

    std::shared_ptr<SimController> sim;
    TThread thread;
    bool ready = true;
};

QByteArray writeImage()
{
    QByteArray image = randomBytes(TK440::Size, 7);
    image[TK440::ModelOffset] = char(SimController::ModelRA & 0xff);
    image[TK440::ModelOffset + 1] = char(SimController::ModelRA >> 8);
    return image;
}

QByteArray reportBytes(TThread &t)
{
    ReportLock lock(t.reportRecord());
    return QByteArray(reinterpret_cast<const char *>(lock->w), sizeof lock->w);
}

// The faulted transfer in a clean run of the row's job.
struct Spot
{
    bool found = false;
    int index = 0; // among the bulk transfers from the job's request on, from 1
    bool firstOnEndpoint = false;
    int replySize = 0; // bytes the transfer moved
};

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

// The number a fault makes the exchange report.
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

// Whether a recorded stream read is the one the fault hit.
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

struct Result
{
    QStringList log;
    QList<bool> conn;
    bool connected = false;
    std::optional<bool> succeeded; // the job's own outcome, where it has one
    QList<Transfer> transfers;
};

// Runs the row's job once, with the fault on its transfer or without one, and checks what holds
// whatever the fault: the job ends, its failure signal and its success exclude each other, and
// the data it was given stays as it was.
void runJob(const Row &row, int kind, const Spot &spot, Result &res)
{
    const bool plain = row.job == Job::Handshake || row.job == Job::Boot;
    Rig rig(!plain);
    QVERIFY2(rig.ready, "the simulated controller did not connect");
    TThread &t = rig.thread;
    const bool monitoring =
        row.job == Job::MonitorOff || row.job == Job::MonitorRead || row.job == Job::ShutDown;
    rig.sim->monitorStream().setFlatOut(true);

    // The state before the job: a good report, a channel streaming.
    if (row.job == Job::Report || row.job == Job::Reset) {
        t.reqReport(true);
        QVERIFY(settle(t));
    }
    if (monitoring) {
        t.reqMonitor(1, true);
        QTRY_VERIFY(t.monitorFrames() > 0);
    }
    const QByteArray reportBefore = reportBytes(t);
    const QByteArray memoryBefore = rig.sim->memory(0, TK440::IdentOffset);
    const QByteArray image = writeImage();
    const QByteArray imageCopy(image.constData(), image.size());
    const QByteArray file = randomBytes(FileSize, 5);
    const QByteArray fileCopy(file.constData(), file.size());

    QueuedSpy log(&t, &TThread::mes);
    QueuedSpy conn(&t, &TThread::conn);
    QueuedSpy readCfg(&t, &TThread::readCfg);
    QueuedSpy readErr(&t, &TThread::readErr);
    QueuedSpy writeStp(&t, &TThread::writeStp);
    QueuedSpy writeErr(&t, &TThread::writeErr);
    QueuedSpy loadStp(&t, &TThread::loadStp);
    QueuedSpy loadErr(&t, &TThread::loadErr);
    QueuedSpy reports(&t, &TThread::reportRdy);
    QueuedSpy traces(&t, &TThread::traceRdy);
    // Every block a view would take from the stream, taken as it is announced.
    QList<QByteArray> blocks;
    QObject view; // the connection ends with it, before the list goes
    QObject::connect(&t, &TThread::monitorRdy, &view, [&t, &blocks](TMon *) {
        TMonBlock b {};
        if (t.takeMonitorBlock(1, &b))
            blocks.append(QByteArray(reinterpret_cast<const char *>(b.data), sizeof b.data));
    });
    struct Freer
    {
        QueuedSpy &spy;
        ~Freer()
        {
            for (const QVariantList &call : spy.calls)
                delete call.value(0).value<TK440 *>();
        }
    } freer {readCfg};

    // A running stream keeps its record from the start, so that every frame a view takes is
    // in it; its faults go to the next transfer on the endpoint, as the stream's reads come
    // between the switch's transfers.
    if (!monitoring)
        rig.sim->clearTransfers();
    const bool fault = kind >= 0;
    if (fault && row.where.step) {
        if (isGone(kind))
            rig.sim->vanishAtStep(*row.where.step, numberOf(kind, spot));
        else
            rig.sim->failStep(*row.where.step, numberOf(kind, spot));
    } else if (fault) {
        if (monitoring || spot.firstOnEndpoint)
            rig.sim->failNext(row.where.endpoint, faultOf(kind, spot));
        else
            rig.sim->failTransfer(spot.index, faultOf(kind, spot));
    }
    const quint64 framesBefore = t.monitorFrames();
    switch (row.job) {
    case Job::Handshake:
        t.checkDevice();
        break;
    case Job::Read:
        t.reqRead();
        break;
    case Job::Write:
        t.reqWrite(image.constData(), WriteCount);
        break;
    case Job::Load:
    case Job::Boot:
        t.reqLoad(file.constData(), uint(file.size()));
        break;
    case Job::Live:
        row.request(t);
        break;
    case Job::Reset:
    case Job::Report:
        t.reqReport(row.job == Job::Report);
        break;
    case Job::Trace:
        t.reqTrace();
        break;
    case Job::MonitorOn:
        t.reqMonitor(1, true);
        break;
    case Job::MonitorOff:
        t.reqMonitor(1, false);
        break;
    case Job::MonitorRead:
        break;
    case Job::ShutDown:
        t.stop();
        break;
    }

    bool streamed = false; // the channel came on
    if (row.job == Job::MonitorOn) {
        QVERIFY(QTest::qWaitFor(
            [&t] { return t.monitorMask() != 0 || (t.queuedJobs() == 0 && !t.isRunning()); },
            5000));
        streamed = t.monitorMask() == 0x0002;
        if (streamed) {
            QTRY_VERIFY(!blocks.isEmpty());
            t.reqMonitor(1, false);
        }
    }
    if (row.job == Job::MonitorRead) {
        quint64 framesAtFault = framesBefore;
        if (fault) {
            QTRY_VERIFY2(
                [&] {
                    for (const Transfer &x : rig.sim->transfers())
                        if (isFaultedRead(x, kind))
                            return true;
                    return false;
                }(),
                "the fault never hit a stream read");
            framesAtFault = t.monitorFrames();
        }
        if (!isGone(kind) || !fault) {
            // The stream goes on past the fault; then its view switches it off.
            QTRY_VERIFY(t.monitorFrames() >= framesAtFault + 3);
            t.reqMonitor(1, false);
        }
    }
    if (row.job == Job::ShutDown) {
        // A stopped worker runs nothing more, hot-plug checks included.
        QVERIFY2(t.wait(10000), "the worker did not end");
        QTest::qWait(30);
    } else {
        QVERIFY2(settle(t), "the worker did not come to rest");
    }

    res.log = log.strings();
    for (const QVariantList &c : conn.calls)
        res.conn.append(c.value(0).toBool());
    res.connected = t.isConnected();
    res.transfers = rig.sim->transfers();

    switch (row.job) {
    case Job::Handshake:
        res.succeeded = res.connected;
        break;
    case Job::Read:
        QCOMPARE(readCfg.size() + readErr.size(), 1);
        res.succeeded = readCfg.size() == 1;
        if (*res.succeeded)
            QCOMPARE(
                QByteArray(readCfg.at(0).value(0).value<TK440 *>()->data(), TK440::IdentOffset),
                memoryBefore);
        QCOMPARE(rig.sim->memory(0, TK440::IdentOffset), memoryBefore); // a read writes nothing
        break;
    case Job::Write:
        QCOMPARE(writeStp.size() + writeErr.size(), 1);
        res.succeeded = writeStp.size() == 1;
        if (*res.succeeded)
            QCOMPARE(rig.sim->memory(0, WriteCount), image.left(WriteCount));
        QCOMPARE(image, imageCopy);
        break;
    case Job::Load:
    case Job::Boot:
        QCOMPARE(loadStp.size() + loadErr.size(), 1);
        res.succeeded = loadStp.size() == 1;
        if (*res.succeeded)
            QCOMPARE(rig.sim->flashContents(0, FileSize), file);
        QCOMPARE(file, fileCopy);
        break;
    case Job::Live:
        res.succeeded = !res.log.filter(QStringLiteral("Переданы параметры")).isEmpty();
        break;
    case Job::Reset:
    case Job::Report:
        QVERIFY(reports.size() <= 1);
        res.succeeded = reports.size() == 1;
        if (!*res.succeeded)
            QCOMPARE(reportBytes(t), reportBefore); // the last good record stays
        break;
    case Job::Trace:
        QVERIFY(traces.size() <= 1);
        res.succeeded = traces.size() == 1;
        break;
    case Job::MonitorOn:
        res.succeeded = streamed;
        if (!streamed) {
            QVERIFY(blocks.isEmpty());
            QVERIFY(rig.sim->moved(0x82).isEmpty()); // no stream read was started
        }
        break;
    case Job::ShutDown:
        // The controller stopped streaming.
        res.succeeded = rig.sim->monitorStream().channels() == 0;
        break;
    case Job::MonitorOff:
    case Job::MonitorRead:
        break;
    }
    if (row.job == Job::MonitorOn || monitoring) {
        // The terminal's side of the stream has ended, and every block a view took is a whole
        // frame of the switched-on channel as the controller sent it.
        QCOMPARE(t.monitorMask(), quint16(0));
        QSet<QByteArray> sentFrames;
        for (const Transfer &x : std::as_const(res.transfers)) {
            if (x.endpoint != 0x82 || x.result != monitor::FrameSize || x.data[1] != 1)
                continue;
            TMonBlock b {};
            monitor::storeFrame(x.data.constData(), b);
            sentFrames.insert(QByteArray(reinterpret_cast<const char *>(b.data), sizeof b.data));
        }
        for (const QByteArray &b : std::as_const(blocks))
            QVERIFY2(sentFrames.contains(b), "a view was handed a frame the controller never sent");
    }
}

struct Dry
{
    bool done = false;
    Spot spot;
    QStringList log;
};

} // namespace

class TstFaultMatrix : public QObject
{
    Q_OBJECT

    QHash<int, Dry> dryRuns; // by row: the clean run, made once

private Q_SLOTS:
    void initTestCase()
    {
        int applicable = 0;
        for (const Row &r : rows())
            for (Out o : r.out)
                applicable += o != NA ? 1 : 0;
        const int cells = int(rows().size()) * Kinds;
        qInfo("fault matrix: %d transfers x %d faults = %d cells: %d applicable, %d not applicable",
              int(rows().size()), int(Kinds), cells, applicable, cells - applicable);
    }

    void cell_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("kind");
        for (int r = 0; r < rows().size(); ++r)
            for (int k = 0; k < Kinds; ++k)
                QTest::addRow("%s / %s", qPrintable(rows().at(r).name), kindNames[k]) << r << k;
    }

    void cell()
    {
        QFETCH(int, row);
        QFETCH(int, kind);
        const Row &r = rows().at(row);
        const Out out = r.out[kind];
        if (out == NA)
            QSKIP("not applicable: a packet written and a set-up step go whole or fail; neither "
                  "has a reply to cut short, empty or echo wrongly");

        // The clean run: where the transfer is, how long its reply is, what the job logs.
        Dry &dry = dryRuns[row];
        if (!dry.done) {
            Result clean;
            runJob(r, -1, {}, clean);
            if (QTest::currentTestFailed())
                return;
            QVERIFY2(clean.succeeded.value_or(true), "the job fails without a fault");
            dry.spot = r.where.step ? Spot {true} : locate(clean.transfers, r.where);
            dry.log = clean.log;
            dry.done = true;
        }
        QVERIFY2(dry.spot.found, "the row's transfer is not in a clean run of its job");

        Result res;
        runJob(r, kind, dry.spot, res);
        if (QTest::currentTestFailed())
            return;

        // The job's own outcome.
        if (res.succeeded && out != Dropped && r.job != Job::MonitorOff)
            QCOMPARE(*res.succeeded, succeeds(out));

        // The connection right afterwards. A connection the exchange closes is announced gone
        // by the exchange; a controller that left while the exchange went on is found gone by
        // the hot-plug check that its departure runs. Neither the handshake nor boot mode has
        // announced a connection.
        const bool gone = isGone(kind);
        QStringList closing;
        if (r.job == Job::Handshake) {
            QCOMPARE(res.connected, succeeds(out));
            QCOMPARE(res.conn, succeeds(out) ? QList<bool> {true} : QList<bool> {});
        } else if (r.job == Job::Boot) {
            QVERIFY(!res.connected);
            QCOMPARE(res.conn, QList<bool> {});
        } else if (r.job == Job::ShutDown) {
            QCOMPARE(res.conn, QList<bool> {});
        } else if (closesItself(out) || gone) {
            QVERIFY(!res.connected);
            QCOMPARE(res.conn, QList<bool> {false});
            closing << (closesItself(out) ? LostLine : LeftLine);
        } else {
            QVERIFY(res.connected);
            QCOMPARE(res.conn, QList<bool> {});
        }

        // The log: the clean run's lines up to the fault, the exchange's message, then the
        // closing line if any.
        const QString number = QString::number(numberOf(kind, dry.spot));
        const QString message = QString(r.text).replace(QStringLiteral("%1"), number);
        const QString message2 = QString(r.text2).replace(QStringLiteral("%1"), number);
        QStringList lines = res.log;
        QVERIFY2(lines.size() >= closing.size()
                     && lines.mid(lines.size() - closing.size()) == closing,
                 qPrintable(lines.join(QStringLiteral(" | "))));
        lines = lines.mid(0, lines.size() - closing.size());
        QStringList expected;
        switch (out) {
        case Accept:
        case Dropped:
            expected = dry.log;
            break;
        case Logged:
            expected = QStringList {message} + dry.log;
            break;
        case Retried:
            expected = QStringList {message2} + dry.log;
            break;
        case Fail:
        case Close:
        case Fail2:
        case Close2:
        case Lost:
        case Quiet: {
            QStringList own;
            if (out == Fail || out == Close)
                own << message;
            if (out == Fail2 || out == Close2)
                own << message2;
            const qsizetype before = lines.size() - own.size();
            QVERIFY2(before >= 0, qPrintable(lines.join(QStringLiteral(" | "))));
            expected = dry.log.mid(0, before) + own;
            break;
        }
        case NA:
            break;
        }
        QCOMPARE(lines, expected);
    }
};

QTEST_GUILESS_MAIN(TstFaultMatrix)
#include "tst_faultmatrix.moc"
