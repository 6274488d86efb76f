#include "device/operations/operation.h"

#include "config/tk440.h"
#include "device/connection.h"

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
    sink.finished(res);
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
