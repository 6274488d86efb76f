#include "device/linkoptions.h"

#include "device/tracingtransport.h"
#include "sim/simtransport.h"

#include <QCommandLineParser>
#include <QFile>

namespace {
const QString SimulateName = QStringLiteral("simulate");
const QString SimModelName = QStringLiteral("sim-model");
const QString UsbTraceName = QStringLiteral("usb-trace");

std::shared_ptr<SimController> &simulator()
{
    static std::shared_ptr<SimController> sim;
    return sim;
}
} // namespace

std::shared_ptr<SimController> installedSimulator()
{
    return simulator();
}

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

QString applyLinkOptions(const QCommandLineParser &parser)
{
    return installLinkTransport(parser.isSet(SimulateName), parser.value(SimModelName),
                                parser.value(UsbTraceName));
}

QString installLinkTransport(bool simulate, const QString &simModel, const QString &traceFile)
{
    std::shared_ptr<SimController> sim;
    if (simulate) {
        sim = makeSimulatedController(simModel);
        if (!sim)
            return QStringLiteral("unknown simulated model %1 (use RA or RB)").arg(simModel);
    }
    if (!traceFile.isEmpty()) {
        QFile probe(traceFile);
        if (!probe.open(QIODevice::WriteOnly | QIODevice::Append))
            return QStringLiteral("cannot open the USB trace file %1").arg(traceFile);
    }
    simulator() = sim;
    if (!sim && traceFile.isEmpty()) {
        UsbTransport::setDefaultFactory({});
        return {};
    }
    UsbTransport::setDefaultFactory([sim, traceFile]() -> std::unique_ptr<UsbTransport> {
        std::unique_ptr<UsbTransport> t = sim ? makeSimulatedTransport(sim) : makeLibusbTransport();
        if (!traceFile.isEmpty())
            t = makeTracingTransport(std::move(t), traceFile);
        return t;
    });
    return {};
}
