#include "device/operations/operation.h"

#include "config/tk440.h"
#include "device/connection.h"
#include "device/controllers.h"

OperationSink::~OperationSink() = default;

QString configModelText(quint16 model)
{
    switch (model) {
    case TK440::ModelRA:
        return OperationText::tr("К-330RA");
    case TK440::ModelRB:
        return OperationText::tr("К-330RB");
    default:
        return QString();
    }
}

Operation::Operation(OperationKind kind, OperationSink &sink, int bytes)
    : sink(sink)
{
    res.kind = kind;
    res.bytes = bytes;
}

Operation::~Operation() = default;

void Operation::identified(const TDev &dev)
{
    if (ended)
        return;
    res.identified = true;
    res.controller = dev;
    acceptIdentity(dev);
}

bool Operation::acceptIdentity(const TDev &)
{
    return true;
}

void Operation::count(quint32 n)
{
    if (!ended)
        sink.progress(n);
}

void Operation::failed()
{
    if (!ended)
        finish(failureOutcome(), failureText());
}

void Operation::noController()
{
    if (!ended)
        finish(OperationOutcome::NoController, failureText());
}

const OperationResult &Operation::run(DeviceLink &link)
{
    if (!ended)
        exchange(link);
    return res;
}

const OperationResult &Operation::run(DeviceConnection &connection, DeviceLink &link)
{
    if (!connection.isReady()) {
        noController();
        return res;
    }
    return run(link);
}

void Operation::stage(const QString &text, int total)
{
    if (!ended)
        sink.stage(text, total);
}

void Operation::finish(OperationOutcome outcome, const QString &message, int differing)
{
    if (ended)
        return;
    ended = true;
    res.outcome = outcome;
    res.message = message;
    res.differing = differing;
    if (hook)
        hook(makeRecord());
    sink.finished(res);
}

void Operation::recordTo(const RecordContext &context, RecordHook h)
{
    static constexpr RecordedOperation operations[] = {
        RecordedOperation::Read, RecordedOperation::Write, RecordedOperation::Verify,
        RecordedOperation::LoadFirmware};
    recording = context;
    hook = std::move(h);
    begun = startRecord(operations[int(res.kind)]);
}

OperationRecord Operation::makeRecord() const
{
    OperationRecord r = begun;
    finishRecord(r);
    r.portPath = recording.portPath;
    r.fileName = recording.fileName;
    r.fileSha256 = recording.fileSha256;
    r.mode = recording.mode;
    r.readImage = recording.backup;
    if (res.identified) {
        const ControllerIdentity unit {recording.portPath, res.controller, QString()};
        r.model = res.controller.model;
        r.serial = unit.serialText();
        r.cpuId = res.controller.cpuId;
        r.firmwareVersion = unit.versionText();
    }
    switch (res.outcome) {
    case OperationOutcome::Done:
        r.outcome = res.differing == 0 ? RecordedOutcome::Verified : RecordedOutcome::Done;
        break;
    case OperationOutcome::Differs:
        r.outcome = RecordedOutcome::Differs;
        r.differingBytes = res.differing;
        break;
    default:
        r.outcome = RecordedOutcome::Failed;
        r.message = res.message;
        break;
    }
    describe(r);
    return r;
}

ReadBackOperation::ReadBackOperation(OperationKind kind, OperationSink &sink, int bytes,
                                     Tails tails)
    : Operation(kind, sink, bytes)
    , tails(tails)
{ }

QString ReadBackOperation::stageText(const char *tail) const
{
    return OperationText::tr("Контроллер ") + model + OperationText::tr(tail);
}

void ReadBackOperation::startWriting(const QString &modelName)
{
    if (isFinished())
        return;
    model = modelName;
    stage(stageText(tails.writing), result().bytes);
}

void ReadBackOperation::verifying()
{
    stage(stageText(tails.verifying), result().bytes);
}

void ReadBackOperation::checked(int n)
{
    differing = n;
}

void ReadBackOperation::completed()
{
    // Where bytes differ, the exchange has logged their count: that is the last word.
    if (differing > 0)
        finish(OperationOutcome::Differs, QString(), differing);
    else
        finish(OperationOutcome::Done, stageText(tails.done), differing);
}
