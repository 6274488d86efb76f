#include "ctl/devicechoice.h"

#include "ctl/list.h"
#include "ctl/output.h"

#include <QCommandLineParser>

namespace {

const QString DeviceName = QStringLiteral("device");
const QString AllName = QStringLiteral("all");

// The attached controllers as `list` prints them, or that there are none.
void sayAttached(const QList<ControllerIdentity> &attached)
{
    if (attached.isEmpty())
        say(Ctl::tr("Контроллеры на шине USB не найдены."));
    else
        say(listText(attached).chopped(1));
}

// The controller a --device value names: its port path, or its processor serial as `list`
// prints it (a serial that two controllers share is refused, naming their paths). -1 with the
// refusal printed and its status set.
int find(const QList<ControllerIdentity> &attached, const QString &value, Status *status)
{
    QList<int> bySerial;
    for (qsizetype i = 0; i < attached.size(); ++i) {
        if (attached[i].path == value)
            return int(i);
        if (attached[i].identified()
            && attached[i].serialText().compare(value, Qt::CaseInsensitive) == 0)
            bySerial.append(int(i));
    }
    if (bySerial.size() == 1)
        return bySerial.first();
    if (bySerial.isEmpty()) {
        say(QStringLiteral("k330ctl: no controller %1 is attached").arg(value));
        sayAttached(attached);
        *status = NoController;
        return -1;
    }
    QStringList paths;
    for (int i : bySerial)
        paths.append(attached[i].path);
    say(QStringLiteral("k330ctl: the controllers at %1 share the processor serial %2; choose one "
                       "by its port path")
            .arg(paths.join(QStringLiteral(", ")), value));
    *status = UsageError;
    return -1;
}

// Every --device value's controller, each once, in the order of the bus.
DeviceChoice chosenAmong(const QList<ControllerIdentity> &attached, const QStringList &wanted)
{
    DeviceChoice out;
    QList<bool> taken(attached.size(), false);
    for (const QString &value : wanted) {
        const int i = find(attached, value, &out.status);
        if (i < 0)
            return out;
        taken[i] = true;
    }
    for (qsizetype i = 0; i < attached.size(); ++i) {
        if (taken[i])
            out.controllers.append(attached[i]);
    }
    if (out.controllers.size() == 1)
        out.path = out.controllers.first().path;
    else
        out.several = true;
    return out;
}

} // namespace

void addDeviceOptions(QCommandLineParser &parser)
{
    parser.addOption(QCommandLineOption(
        DeviceName,
        Ctl::tr("Контроллер с путём порта <id> или с серийным номером процессора <id>, как "
                "их выводит 'k330ctl list'; повторите его для нескольких контроллеров, "
                "которые тогда работают одновременно."),
        QStringLiteral("id")));
    parser.addOption(QCommandLineOption(
        AllName, Ctl::tr("Все контроллеры, подключенные к началу работы, одновременно.")));
}

DeviceChoice chooseDevices(const QCommandLineParser &parser,
                           const UsbTransport::Factory &makeTransport)
{
    DeviceChoice out;
    const QStringList wanted = parser.values(DeviceName);
    const bool all = parser.isSet(AllName);
    if (all && !wanted.isEmpty()) {
        say(QStringLiteral("k330ctl: --device and --all exclude each other"));
        out.status = UsageError;
        return out;
    }
    QList<UsbPortInfo> ports;
    {
        const std::unique_ptr<UsbTransport> bus = makeTransport();
        ports = bus->list(usb::VendorId, usb::ProductId);
    }
    if (!all && wanted.isEmpty()) {
        if (ports.size() <= 1)
            return out; // the lone controller (or none), as ever
        say(QStringLiteral("k330ctl: %1 controllers are attached; choose with --device "
                           "PATH|SERIAL or --all:")
                .arg(ports.size()));
        sayAttached(identifyControllers(makeTransport));
        out.status = UsageError;
        return out;
    }
    // One port path needs no identification: the run opens it as it opens a lone controller.
    if (wanted.size() == 1) {
        for (const UsbPortInfo &port : ports) {
            if (port.path == wanted.first()) {
                out.path = port.path;
                return out;
            }
        }
    }
    const QList<ControllerIdentity> attached = identifyControllers(makeTransport);
    if (!all)
        return chosenAmong(attached, wanted);
    if (attached.isEmpty()) {
        sayAttached(attached);
        out.status = NoController;
        return out;
    }
    out.several = true;
    out.controllers = attached;
    return out;
}
