#include "ctl/session.h"

#include "config/image.h"
#include "ctl/output.h"
#include "device/connectionlink.h"
#include "device/operations/operation.h"
#include "device/operations/readoperation.h"
#include "device/usbtransport.h"

#include <QCommandLineParser>
#include <QThread>

namespace {

const QString RecordsName = RecordsSettings::commandLineOption().names().constFirst();

// The backup read's stages and progress as every read's; its end is the write's business.
class BackupSink : public ReporterSink
{
public:
    void finished(const OperationResult &) override { }
};

} // namespace

QString noControllerAdvice(int openFailure)
{
    switch (openFailure) {
    case 0:
        return Ctl::tr("Контроллер открылся, но не отвечает: переподключите его и повторите "
                       "команду.");
    case UsbTransport::NotListed:
        return Ctl::tr("Контроллер (USB 0451:9001) не подключен: подключите его к шине USB и "
                       "повторите команду.");
    case usb::ErrAccess:
        return Ctl::tr("Нет прав доступа к контроллеру: правило udev 70-k330s.rules не действует. "
                       "Установите его, перезагрузите правила и переподключите контроллер (см. "
                       "README, \"Attaching a real controller\").");
    case usb::ErrBusy:
        return Ctl::tr("Контроллер занят другой программой (например, открытым терминалом): "
                       "закройте ее и повторите команду.");
    default:
        return Ctl::tr("Контроллер не открывается (ошибка %1): переподключите его и повторите "
                       "команду.")
            .arg(openFailure);
    }
}

Controller::Controller()
    : connection({[](const QString &line) { say(line); },
                  [](bool) {
                  }})
{ }

Controller::~Controller()
{
    connection.release();
    saveSimState(choice);
}

Status Controller::setUp(const QCommandLineParser &parser)
{
    choice = linkChoice(parser);
    if (!choice.error.isEmpty()) {
        say(QStringLiteral("k330ctl: ") + choice.error);
        return UsageError;
    }
    // The simulated controllers start with the defaults of their model, or with the memory kept
    // in their state files by an earlier run.
    if (!loadSimState(choice)) {
        say(QStringLiteral("k330ctl: cannot use the simulator state file ") + choice.stateFile);
        return UsageError;
    }
    store = openRecords(parser);
    factory = choice.transport ? choice.transport : [] {
        return makeLibusbTransport();
    };
    devices = chooseDevices(parser, factory);
    return devices.status;
}

const OperationResult &Controller::run(Operation &operation, int mode)
{
    if (!connection.transport()) {
        connection.setTransport(factory());
        connection.transport()->setPortPath(devices.path);
        connection.open(usb::ConfigNormal);
        connection.handshake();
    }
    ConnectionLink link(connection,
                        {[](int ms) { QThread::msleep(ulong(ms)); },
                         [](const QString &line) { say(line); },
                         [mode] {
                             return mode;
                         }});
    const OperationResult &result = operation.run(connection, link);
    if (result.outcome == OperationOutcome::NoController)
        say(noControllerAdvice(connection.openFailure()));
    return result;
}

void Controller::record(Operation &operation, const RecordContext &context)
{
    operation.recordTo(context, [this](OperationRecord r) {
        r.portPath = connection.portPath();
        store->append(r);
    });
}

OperationResult Controller::keepBackup(Operation &write, const TK440 &image, int mode,
                                       QList<FieldDifference> *changes)
{
    TK440 present;
    BackupSink sink;
    ReadOperation read(sink, present);
    if (run(read, mode).outcome != OperationOutcome::Done)
        return read.result();
    write.recordContext().backup = QByteArray(present.data(), TK440::Size);
    *changes = writeChanges(present, image, mode);
    for (const QString &line : backupLines(*changes))
        say(line);
    return read.result();
}

void addControllerOptions(QCommandLineParser &parser)
{
    addLinkOptions(parser);
    addDeviceOptions(parser);
    addRecordsOption(parser);
}

void addRecordsOption(QCommandLineParser &parser)
{
    parser.addOption(RecordsSettings::commandLineOption());
}

std::unique_ptr<RecordStore> openRecords(const QCommandLineParser &parser)
{
    const QString url = RecordsSettings::chooseServerUrl(parser.value(RecordsName), QString());
    return std::make_unique<RecordStore>(RecordsSettings::defaults(url),
                                         [](const QString &text) { say(text); });
}
