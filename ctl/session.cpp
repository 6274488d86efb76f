#include "ctl/session.h"

#include "config/crc16.h"
#include "config/defaultimage.h"
#include "config/image.h"
#include "ctl/output.h"
#include "device/operations/controllerrun.h"
#include "device/usbtransport.h"
#include "sim/simcontroller.h"

#include <QCommandLineParser>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {

const QString SimStateName = QStringLiteral("sim-state");

} // namespace

Controller::Controller() = default;

Controller::~Controller()
{
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
    factory = choice.transport ? choice.transport : [] {
        return makeLibusbTransport();
    };
    devices = chooseDevices(parser, factory);
    return devices.status;
}

const OperationResult &Controller::run(Operation &operation, int mode)
{
    std::unique_ptr<UsbTransport> transport = factory();
    if (!devices.path.isEmpty())
        transport->setPortPath(devices.path);
    return runOnController(std::move(transport), operation, mode,
                           [](const QString &line) { say(line); });
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
    addDeviceOptions(parser);
    parser.addOption(QCommandLineOption(
        SimStateName,
        QStringLiteral("With --simulate: keep the simulated controller's configuration memory in "
                       "<file> from one run to the next."),
        QStringLiteral("file")));
}
