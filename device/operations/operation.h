#pragma once
// The operations a user starts on a controller (read, write, verify, firmware load) as one
// widget-free definition each: the decisions of the flow, its messages, its progress and a
// result value. Two front ends drive the same classes:
//   - run() drives an operation itself over a link, from the exchange's callbacks
//     (configexchange.h, flashexchange.h): what k330ctl does in its main thread;
//   - a progress window feeds it the events the worker thread signals (identified, record
//     received, verifying, count, finished or failed), and shows what it words.
// Either way the operation reports through an OperationSink and ends in finish(), the one
// place where its result is made.

#include "config/records.h"
#include "device/operations/recording.h"

#include <QCoreApplication>
#include <QString>

class DeviceConnection;
class DeviceLink;

enum class OperationKind { Read, Write, Verify, Load };

enum class OperationOutcome {
    Done,
    NoController, // no controller ready for the operation
    WrongModel, // the controller's model: unknown to the read, another than the image's
    UnknownModel, // the image is of no known model: nothing was sent
    TransferFailed, // an exchange failed or the controller refused it
    Corrupt, // the configuration read fails its checksum
    Differs, // the read-back or the comparison found differing bytes
};

// What happened to which controller.
struct OperationResult
{
    OperationKind kind = OperationKind::Read;
    OperationOutcome outcome = OperationOutcome::TransferFailed;
    // The final message. Empty where the exchange has already logged the last word (a write or
    // load whose read-back differs: the count of differing bytes).
    QString message;
    bool identified = false; // the controller's identification was received
    TDev controller {}; // model, firmware version, processor serial and identifier
    int bytes = 0; // bytes the operation reads, writes or loads
    int differing = -1; // bytes that differ; -1 where nothing was compared or it is not known
};

// Where an operation reports: stage texts, progress and its end.
class OperationSink
{
public:
    virtual ~OperationSink();
    // A new stage: its text and the count its progress runs to.
    virtual void stage(const QString &text, int total) = 0;
    virtual void progress(quint32 count) = 0;
    // Once per operation; nothing is reported afterwards.
    virtual void finished(const OperationResult &result) = 0;
};

// Messages of the operations, translated in the context "Operation".
class OperationText
{
    Q_DECLARE_TR_FUNCTIONS(Operation)
};

// Controller name in the configuration operations' messages: "К-330RA" or "К-330RB" (the
// Cyrillic letter of the system's texts), empty for any other model code.
QString configModelText(quint16 model);

// The common part of every operation: its events that every flow has, and its end. Events that
// arrive after the end are ignored (a job goes on after its window has decided).
class Operation
{
public:
    virtual ~Operation();
    Operation(const Operation &) = delete;
    Operation &operator=(const Operation &) = delete;

    const OperationResult &result() const { return res; }
    bool isFinished() const { return ended; }

    // Events.
    void identified(const TDev &dev);
    void count(quint32 n);
    // The exchange failed (or was refused): the operation's failure message.
    void failed();
    void noController();

    // From now on (the operation's start) the end makes the operation's record and hands it to
    // `hook` before the end is reported.
    void recordTo(const RecordContext &context, RecordHook hook);
    RecordContext &recordContext() { return recording; }

    // Runs the operation over a link to a controller ready for it.
    const OperationResult &run(DeviceLink &link);
    // Runs it over an open connection, which decides whether there is a controller (the load
    // also chooses the boot mode there); link is the connection as the caller's exchanges see
    // it.
    virtual const OperationResult &run(DeviceConnection &connection, DeviceLink &link);

protected:
    Operation(OperationKind kind, OperationSink &sink, int bytes);

    // The exchange with its callbacks feeding the events.
    virtual void exchange(DeviceLink &link) = 0;
    // The outcome and message of failed(): what the operation knows about the failure.
    virtual OperationOutcome failureOutcome() const { return OperationOutcome::TransferFailed; }
    virtual QString failureText() const = 0;
    // Checks the identification; false ends the operation.
    virtual bool acceptIdentity(const TDev &dev);

    // Fills in what only this kind of operation knows: its images, its file's digest, its mode.
    virtual void describe(OperationRecord &) const { }

    void stage(const QString &text, int total);
    // The end: makes the result and reports it. Every operation of either front end ends here,
    // so this is where whatever records operations takes them.
    void finish(OperationOutcome outcome, const QString &message, int differing = -1);

    OperationSink &sink;

private:
    OperationRecord makeRecord() const;

    OperationResult res;
    bool ended = false;
    RecordContext recording;
    RecordHook hook; // none: the operation is not recorded
    OperationRecord begun; // the record as it was begun
};

// A write with read-back (configuration, firmware): its stages and its end say "Контроллер
// <model><tail>" with the kind's tails, and the read-back's count decides between done and
// differs.
class ReadBackOperation : public Operation
{
public:
    // Events of the exchange after its start.
    void verifying();
    void checked(int differing);
    void completed();
    // "Контроллер <model>" with the tail of a completed write: what the progress windows show
    // at the end also where bytes differ (the log has their count).
    QString doneText() const { return stageText(tails.done); }

protected:
    // The tails of the texts, each translated in the context "Operation".
    struct Tails
    {
        const char *writing;
        const char *verifying;
        const char *done;
    };
    ReadBackOperation(OperationKind kind, OperationSink &sink, int bytes, Tails tails);

    // The writing starts, at the controller of this name.
    void startWriting(const QString &modelName);

private:
    QString stageText(const char *tail) const;

    Tails tails;
    QString model;
    int differing = -1; // from the read-back, once it is known
};
