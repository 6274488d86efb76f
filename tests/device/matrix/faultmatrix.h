#pragma once
// The fault matrix: every transfer of every exchange with the controller, and every set-up step of
// opening it, under every kind of transfer fault. A row is one transfer: where it is, what the
// exchange makes of each fault kind, the exchange's message, and a driver that runs the
// exchange's job on the worker. Each exchange registers its rows next to its own tests
// (matrix/<exchange>rows.cpp); tst_faultmatrix runs every cell and checks what holds for all of
// them (the job ends, the log up to the fault and the exchange's message, the failure signal,
// the connection afterwards).

#include "queuedspy.h"
#include "simrig.h"

#include "device/tthread.h"
#include "sim/simcontroller.h"

#include <QList>
#include <QString>
#include <QTest>

#include <array>
#include <functional>
#include <memory>
#include <optional>

namespace matrix {

using Transfer = SimUsbDevice::Transfer;

// --- The columns: kinds of fault, each hitting one transfer ---

enum Kind { Error, Gone5, Gone6, Short, Empty, WrongEcho, Timeout, Kinds };
extern const char *const kindNames[Kinds];

constexpr int ErrorNumber = -32; // a transfer error that is not a removal
constexpr quint16 ForeignEcho = 0x7f7f; // first word of a reply to some other command

bool isGone(int kind);

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
using Outcomes = std::array<Out, Kinds>; // error, gone -5, gone -6, short, empty, echo, time-out

bool succeeds(Out o);
bool closesItself(Out o);

constexpr Out F = Fail, F2 = Fail2, C = Close, C2 = Close2, L = Lost, G = Logged, R = Retried,
              A = Accept, Q = Quiet, D = Dropped, _ = NA;
// A packet written: it goes or it fails; there is no reply to cut, empty or echo wrongly.
constexpr Outcomes sent = {F, F, F, _, _, _, F};
// A reply of which only a failed read counts: any acknowledgement will do.
constexpr Outcomes acknowledged = {F, F, F, A, A, A, F};
// A reply whose data counts, whatever its header says.
constexpr Outcomes data = {F, F, F, F, F, A, F};
// A set-up step: it goes or it fails, and carries no reply.
constexpr Outcomes step = {F, F, F, _, _, _, F};

// --- Where a row's transfer is ---

using Match = std::function<bool(const QByteArray &packet)>;

// On an OUT endpoint the first packet that matches; on 0x81 the reply to it; on 0x82 the next
// stream read. Or a set-up step of the opening, which fails or during which the controller
// leaves.
struct Where
{
    quint8 endpoint;
    Match packet;
    std::optional<SimController::Step> step = {};
};

// The big-endian word at a byte offset of a packet; 0xffff past its end.
quint16 word(const QByteArray &packet, int at);
Match any();
Match command(quint16 code); // a packet whose first word is code
Match bytes(const char *hex);
Where out(quint8 endpoint, Match m);
Where out(Match m); // on 0x01
Where in(Match m); // the reply on 0x81 to the command that matches
Where at(SimController::Step step);

// The closing lines of a connection that ended: the exchange's own, and the hot-plug check's
// for a controller that left.
extern const QString LostLine;
extern const QString LeftLine;

// --- A row's driver ---

// The connection after the job, besides what the fault does to it.
enum class Afterwards {
    AsFault, // stays, unless the exchange closes it or the controller left
    Opened, // the job opens it: open and announced exactly when the job succeeds
    NeverOpened, // the job runs without one (boot mode): none, nothing announced
    Stopped, // the worker stopped: nothing announced
};

struct Run;

// One exchange's job, in three steps around the faulted transfer.
class Driver
{
public:
    virtual ~Driver();
    // The worker before the job: connected, or a controller only plugged in.
    virtual bool connectedFirst() const { return true; }
    // A stream runs through the job: the transfer record is kept from its start, and the fault
    // goes to the next transfer on its endpoint.
    virtual bool streams() const { return false; }
    virtual Afterwards afterwards() const { return Afterwards::AsFault; }

    // Sets the worker and the simulated controller up for the job and starts watching what it
    // produces; the fault is armed afterwards.
    virtual void prepare(Run &run);
    // Queues the job(s) through the worker's request operations.
    virtual void request(Run &run) = 0;
    // Waits, bounded, for the job to end and checks what it produced: its signals and the data
    // it was given. Sets run.succeeded where the job has an outcome of its own.
    virtual void observe(Run &run);
};

using MakeDriver = std::function<std::unique_ptr<Driver>()>;

// A fresh driver of type D for every run, made of these arguments.
template<typename D, typename... Args> MakeDriver make(Args... args)
{
    return [args...] {
        return std::make_unique<D>(args...);
    };
}

struct Row
{
    QString name;
    MakeDriver driver;
    Where where;
    Outcomes out;
    QString text; // the exchange's message; %1 stands for the number it ends in
    QString text2 = {}; // its second message, for Fail2, Close2, Retried
};

// The set-up steps of opening the controller (device, configuration, interface), each with
// the name it has in the job that opens it.
QList<Row> openingRows(const MakeDriver &driver, const std::array<QString, 3> &names);

// The identification that opens a job on the connection (configuration read and write,
// firmware load): its request and its reply, named after the job.
QList<Row> identificationRows(const QString &job, const MakeDriver &driver);

// A run of one row's job: the rig, the fault (kind -1 for the clean run) and what every job is
// watched for.
struct Run
{
    Run(std::unique_ptr<Driver> driver, int kind);

    WorkerRig rig;
    TThread &thread;
    SimController &sim;
    const int kind;
    std::unique_ptr<Driver> driver; // ends before the rig: its watchers point into the worker
    std::unique_ptr<QueuedSpy> log; // attached after prepare
    std::unique_ptr<QueuedSpy> conn;
    std::optional<bool> succeeded; // the job's own outcome, where it has one

    bool faulted() const { return kind >= 0; }
    // Waits until the worker has drained its queue and no hot-plug check waits any more; false
    // when that does not happen within the bound (a hang).
    bool settle(int ms = 10000);
};

extern const char *const NotSettled; // the failure text of a run that did not settle

// Records a signal of the run's worker from now on.
template<typename... Args>
std::unique_ptr<QueuedSpy> watch(Run &run, void (TThread::*signal)(Args...))
{
    return std::make_unique<QueuedSpy>(&run.thread, signal);
}

// Whether a recorded stream read is the one the fault of this kind hit.
bool isFaultedRead(const Transfer &t, int kind);

// --- Running a cell ---

// The faulted transfer in a clean run of the row's job.
struct Spot
{
    bool found = false;
    int index = 0; // among the bulk transfers from the job's request on, from 1
    bool firstOnEndpoint = false;
    int replySize = 0; // bytes the transfer moved
};
Spot locate(const QList<Transfer> &log, const Where &where);
// The number a fault makes the exchange report.
int numberOf(int kind, const Spot &spot);

// What a run of a row's job left behind.
struct Observed
{
    QStringList log;
    QList<bool> conn;
    bool connected = false;
    std::optional<bool> succeeded;
    QList<Transfer> transfers;
    Afterwards after = Afterwards::AsFault;
};

// Runs the row's job once, with the fault of this kind on its transfer (kind -1: without one):
// the driver prepares, the fault is armed, the driver requests and observes.
void runJob(const Row &row, int kind, const Spot &spot, Observed &res);

// --- The table ---

// Adds an exchange's rows to the table; order sorts the exchanges (then their own order).
struct Register
{
    Register(int order, QList<Row> (*rows)());
};
const QList<Row> &rows();

} // namespace matrix
