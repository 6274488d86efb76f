#include "sim/linkoptions.h"

#include "device/tracingtransport.h"
#include "sim/simtransport.h"

#include <QCommandLineParser>
#include <QFile>

namespace {
const QString SimulateName = QStringLiteral("simulate");
const QString SimModelName = QStringLiteral("sim-model");
const QString UsbTraceName = QStringLiteral("usb-trace");
} // namespace

void addLinkOptions(QCommandLineParser &parser)
{
    parser.addOption(QCommandLineOption(
        SimulateName, QStringLiteral("Work with a simulated controller instead of the USB bus.")));
    parser.addOption(QCommandLineOption(
        SimModelName, QStringLiteral("Model of the simulated controller: RA (default) or RB."),
        QStringLiteral("model"), QStringLiteral("RA")));
    parser.addOption(QCommandLineOption(
        UsbTraceName,
        QStringLiteral("Append one line per USB transfer (time, endpoint, sizes, result, bytes) "
                       "to <file>."),
        QStringLiteral("file")));
}

LinkChoice linkChoice(const QCommandLineParser &parser)
{
    const bool simulate = parser.isSet(SimulateName);
    const QString simModel = parser.value(SimModelName);
    const QString traceFile = parser.value(UsbTraceName);
    LinkChoice choice;
    std::shared_ptr<SimController> sim;
    if (simulate) {
        sim = makeSimulatedController(simModel);
        if (!sim) {
            choice.error =
                QStringLiteral("unknown simulated model %1 (use RA or RB)").arg(simModel);
            return choice;
        }
    }
    if (!traceFile.isEmpty()) {
        QFile probe(traceFile);
        if (!probe.open(QIODevice::WriteOnly | QIODevice::Append)) {
            choice.error = QStringLiteral("cannot open the USB trace file %1").arg(traceFile);
            return choice;
        }
    }
    choice.simulator = sim;
    if (!sim && traceFile.isEmpty())
        return choice;
    choice.transport = [sim, traceFile]() -> std::unique_ptr<UsbTransport> {
        std::unique_ptr<UsbTransport> t = sim ? makeSimulatedTransport(sim) : makeLibusbTransport();
        if (!traceFile.isEmpty())
            t = makeTracingTransport(std::move(t), traceFile);
        return t;
    };
    return choice;
}
