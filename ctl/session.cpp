#include "ctl/session.h"

#include "config/crc16.h"
#include "config/defaultimage.h"
#include "config/image.h"
#include "ctl/output.h"
#include "device/connectionlink.h"
#include "device/operations/operation.h"
#include "device/usbtransport.h"
#include "sim/simcontroller.h"

#include <QCommandLineParser>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QThread>

namespace {

const QString SimStateName = QStringLiteral("sim-state");

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
    saveState();
}

Status Controller::setUp(const QCommandLineParser &parser)
{
    choice = linkChoice(parser);
    if (!choice.error.isEmpty()) {
        say(QStringLiteral("k330ctl: ") + choice.error);
        return UsageError;
    }
    stateFile = parser.value(SimStateName);
    if (!prepareSimulator()) {
        say(QStringLiteral("k330ctl: cannot use the simulator state file ") + stateFile);
        return UsageError;
    }
    return Success;
}

const OperationResult &Controller::run(Operation &operation, int mode)
{
    connection.setTransport(choice.transport ? choice.transport() : makeLibusbTransport());
    connection.open(usb::ConfigNormal);
    connection.handshake();
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

// The simulated controller starts as the terminal's does (the defaults of its model), or with
// the memory kept in the state file by an earlier run.
bool Controller::prepareSimulator()
{
    if (!choice.simulator)
        return true;
    if (!stateFile.isEmpty() && QFileInfo::exists(stateFile)) {
        QFile f(stateFile);
        if (!f.open(QIODevice::ReadOnly))
            return false;
        const QByteArray bytes = f.readAll();
        if (bytes.size() != TK440::IdentOffset)
            return false;
        choice.simulator->setMemory(0, bytes);
        return true;
    }
    TK440 defaults;
    makeDefaultImage(defaults, choice.simulator->identification().model);
    toDeviceForm(Crc16(), defaults);
    choice.simulator->setMemory(0, QByteArray(defaults.data(), TK440::IdentOffset));
    return true;
}

void Controller::saveState()
{
    if (!choice.simulator || stateFile.isEmpty())
        return;
    QSaveFile f(stateFile);
    if (f.open(QIODevice::WriteOnly)) {
        f.write(choice.simulator->memory(0, TK440::IdentOffset));
        f.commit();
    }
}

void addControllerOptions(QCommandLineParser &parser)
{
    addLinkOptions(parser);
    parser.addOption(QCommandLineOption(
        SimStateName,
        QStringLiteral("With --simulate: keep the simulated controller's configuration memory in "
                       "<file> from one run to the next."),
        QStringLiteral("file")));
}
