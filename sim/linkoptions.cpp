#include "sim/linkoptions.h"

#include "config/crc16.h"
#include "config/defaultimage.h"
#include "config/image.h"
#include "config/tk440.h"
#include "device/tracingtransport.h"
#include "sim/simtransport.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {
const QString SimulateName = QStringLiteral("simulate");
const QString SimModelName = QStringLiteral("sim-model");
const QString SimCountName = QStringLiteral("sim-count");
const QString SimStateName = QStringLiteral("sim-state");
const QString UsbTraceName = QStringLiteral("usb-trace");
constexpr int MaxSimCount = 32;

// The simulated controllers in the sockets "1-1" to "1-<count>", each with the defaults of its
// model and a processor serial of its own (the first keeps the simulator's own).
QList<std::shared_ptr<SimController>> makeSimulators(const QString &model, int count,
                                                     const std::shared_ptr<SimBus> &bus)
{
    QList<std::shared_ptr<SimController>> sims;
    for (int i = 0; i < count; ++i) {
        std::shared_ptr<SimController> sim = makeSimulatedController(model);
        if (!sim)
            return {};
        TDev id = sim->identification();
        id.cpuSerial[3] = quint16(id.cpuSerial[3] + i);
        sim->setCpuSerial({id.cpuSerial[0], id.cpuSerial[1], id.cpuSerial[2], id.cpuSerial[3]});
        TK440 defaults;
        makeDefaultImage(defaults, id.model);
        toDeviceForm(Crc16(), defaults);
        sim->setMemory(0, QByteArray(defaults.data(), TK440::IdentOffset));
        bus->insert(QStringLiteral("1-%1").arg(i + 1), sim);
        sims.append(sim);
    }
    return sims;
}
} // namespace

void addLinkOptions(QCommandLineParser &parser)
{
    parser.addOption(QCommandLineOption(
        SimulateName,
        QCoreApplication::translate("CommandLine",
                                    "Работать с имитатором контроллера вместо шины USB.")));
    parser.addOption(QCommandLineOption(
        SimModelName,
        QCoreApplication::translate("CommandLine",
                                    "Модель имитатора контроллера: RA (по умолчанию) или RB."),
        QStringLiteral("model"), QStringLiteral("RA")));
    parser.addOption(
        QCommandLineOption(SimCountName,
                           QCoreApplication::translate(
                               "CommandLine",
                               "Число имитаторов контроллера на шине, от 1 (по умолчанию) до %1; у "
                               "каждого свои путь порта, серийный номер процессора, память и "
                               "флеш-память.")
                               .arg(MaxSimCount),
                           QStringLiteral("n"), QStringLiteral("1")));
    parser.addOption(QCommandLineOption(
        SimStateName,
        QCoreApplication::translate(
            "CommandLine",
            "С --simulate: хранить память конфигурации имитаторов в <file> между запусками "
            "(первого в <file>, N-го в <file>.N)."),
        QStringLiteral("file")));
    parser.addOption(QCommandLineOption(
        UsbTraceName,
        QCoreApplication::translate("CommandLine",
                                    "Дописывать в <file> по строке на каждую передачу USB (время, "
                                    "конечная точка, размеры, результат, байты)."),
        QStringLiteral("file")));
}

LinkChoice linkChoice(const QCommandLineParser &parser)
{
    const bool simulate = parser.isSet(SimulateName);
    const QString simModel = parser.value(SimModelName);
    const QString traceFile = parser.value(UsbTraceName);
    LinkChoice choice;
    choice.stateFile = parser.value(SimStateName);
    std::shared_ptr<SimBus> bus;
    if (simulate) {
        bool ok = false;
        const int count = parser.value(SimCountName).toInt(&ok);
        if (!ok || count < 1 || count > MaxSimCount) {
            choice.error = QStringLiteral("--sim-count takes 1 to %1").arg(MaxSimCount);
            return choice;
        }
        bus = std::make_shared<SimBus>();
        choice.simulators = makeSimulators(simModel, count, bus);
        if (choice.simulators.isEmpty()) {
            choice.error =
                QStringLiteral("unknown simulated model %1 (use RA or RB)").arg(simModel);
            return choice;
        }
    }
    if (!traceFile.isEmpty()) {
        QFile probe(traceFile);
        if (!probe.open(QIODevice::WriteOnly | QIODevice::Append)) {
            choice.error = QStringLiteral("cannot open the USB trace file %1").arg(traceFile);
            choice.simulators.clear();
            return choice;
        }
    }
    choice.simulator = choice.simulators.value(0);
    if (!bus && traceFile.isEmpty())
        return choice;
    choice.transport = [bus, traceFile]() -> std::unique_ptr<UsbTransport> {
        std::unique_ptr<UsbTransport> t = bus ? makeSimulatedTransport(bus) : makeLibusbTransport();
        if (!traceFile.isEmpty())
            t = makeTracingTransport(std::move(t), traceFile);
        return t;
    };
    return choice;
}

QString simStateFile(const QString &file, int index)
{
    return index == 0 ? file : file + QStringLiteral(".%1").arg(index + 1);
}

bool loadSimState(const LinkChoice &choice)
{
    if (choice.stateFile.isEmpty())
        return true;
    for (int i = 0; i < choice.simulators.size(); ++i) {
        const QString name = simStateFile(choice.stateFile, i);
        if (!QFileInfo::exists(name))
            continue;
        QFile f(name);
        if (!f.open(QIODevice::ReadOnly))
            return false;
        const QByteArray bytes = f.readAll();
        if (bytes.size() != TK440::IdentOffset)
            return false;
        choice.simulators[i]->setMemory(0, bytes);
    }
    return true;
}

bool saveSimState(const LinkChoice &choice)
{
    if (choice.stateFile.isEmpty())
        return true;
    bool saved = true;
    for (int i = 0; i < choice.simulators.size(); ++i) {
        QSaveFile f(simStateFile(choice.stateFile, i));
        saved = f.open(QIODevice::WriteOnly)
            && f.write(choice.simulators[i]->memory(0, TK440::IdentOffset)) == TK440::IdentOffset
            && f.commit() && saved;
    }
    return saved;
}
