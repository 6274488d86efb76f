// The worker's connection: the transport, the hot-plug checks and the choice of controller
// when several are attached. Everything here that talks to the bus runs in the worker, with
// the connection lock held.

#include "device/tthread.h"

#include "device/configexchange.h"
#include "device/controllers.h"

namespace {
constexpr int PollIntervalMs = 1000; // hot-plug check period where no events are reported
} // namespace

// --- The connection ---

void TThread::setTransport(std::unique_ptr<UsbTransport> transport)
{
    QMutexLocker lock(&connMutex);
    if (UsbTransport *old = connection.transport())
        old->disconnect(plugWatch.get());
    connection.setTransport(std::move(transport));
    UsbTransport *link = connection.transport();
    if (!link)
        return;
    connect(link, &UsbTransport::deviceChanged, plugWatch.get(), &UsbHotplug::notify,
            Qt::DirectConnection);
    if (watching) {
        watching = false;
        startWatching();
    }
}

bool TThread::isConnected()
{
    QMutexLocker lock(&connMutex);
    return connection.isOpen();
}

int TThread::usbWrite(quint8 ep, const char *data, int size, int timeoutMs)
{
    return connection.write(ep, data, size, timeoutMs);
}

int TThread::usbRead(quint8 ep, char *data, int size, int timeoutMs)
{
    return connection.read(ep, data, size, timeoutMs);
}

void TThread::lostDevice()
{
    connection.lost();
}

void TThread::checkDevice()
{
    // The check talks to the device (a handshake may wait out its time-outs), so it never runs
    // in the caller's thread: the worker runs it after the job in progress, or at once when
    // idle. The empty job only wakes an idle worker; jobs without a handler do nothing.
    ++checksPending;
    reqJob(JobCheck, {}, 0);
}

void TThread::serviceCheck()
{
    // One check per request: a removal and a new arrival reported back to back are two
    // checks, the first closing the old handle, the second opening the new device.
    int pending = checksPending.load();
    while (pending > 0 && !checksPending.compare_exchange_weak(pending, pending - 1)) { }
    if (pending <= 0)
        return;
    QMutexLocker lock(&connMutex);
    startWatching();
    QList<AttachedController> before;
    {
        QMutexLocker ports(&portMutex);
        before = roster.controllers();
    }
    const bool switched = applyChoice();
    connection.check();
    // Listed after the check, so that the controller it opened is not probed by the listing.
    const QStringList paths = listedPorts();
    {
        QMutexLocker ports(&portMutex);
        roster.setListed(paths);
    }
    identifyListed();
    bool changed = false;
    {
        QMutexLocker ports(&portMutex);
        changed = roster.controllers() != before;
    }
    UsbTransport *link = connection.transport();
    const bool chosenLeft =
        link && !link->portPath().isEmpty() && !paths.contains(link->portPath());
    if (chosenLeft)
        fallBack();
    if (changed || chosenLeft || switched)
        announceControllers();
}

QStringList TThread::listedPorts()
{
    QStringList paths;
    if (UsbTransport *link = connection.transport()) {
        for (const UsbPortInfo &info : link->list(usb::VendorId, usb::ProductId))
            paths.append(info.path);
    }
    return paths;
}

bool TThread::applyChoice()
{
    QString path;
    {
        QMutexLocker lock(&portMutex);
        if (!choicePending)
            return false;
        choicePending = false;
        path = requestedPort;
    }
    UsbTransport *link = connection.transport();
    if (!link || (path == link->portPath() && connection.isOpen()))
        return false;
    // The present controller is announced gone before the chosen one is opened, so that the
    // windows never take the new one for the old.
    connection.close();
    link->setPortPath(path);
    return true;
}

void TThread::fallBack()
{
    UsbTransport *link = connection.transport();
    const QString gone = link->portPath();
    link->setPortPath(QString());
    QString first;
    {
        QMutexLocker lock(&portMutex);
        first = roster.first();
    }
    if (first.isEmpty())
        return;
    Q_EMIT mes(tr("Выбранный контроллер %1 отключен, выбран первый в списке: %2").arg(gone, first));
    if (!connection.isOpen())
        connection.check();
}

void TThread::announceControllers()
{
    QList<AttachedController> list;
    QString chosen;
    {
        QMutexLocker lock(&portMutex);
        list = roster.controllers();
        chosen = roster.first();
    }
    if (const UsbTransport *link = connection.transport(); link && !link->portPath().isEmpty())
        chosen = link->portPath();
    Q_EMIT controllersListed(list, chosen);
}

void TThread::choosePort(const QString &path)
{
    {
        QMutexLocker lock(&portMutex);
        requestedPort = path;
        choicePending = true;
    }
    checkDevice();
}

void TThread::noteIdentity(const TDev &id)
{
    bool changed = false;
    {
        QMutexLocker lock(&portMutex);
        changed = roster.identified(port, id);
    }
    if (changed)
        announceControllers();
}

void TThread::identifyListed()
{
    QStringList pending;
    {
        QMutexLocker lock(&portMutex);
        pending = roster.toIdentify();
    }
    for (const QString &path : pending) {
        const std::optional<TDev> id = identifyAt(path);
        QMutexLocker lock(&portMutex);
        if (id)
            roster.identified(path, *id);
    }
}

std::optional<TDev> TThread::identifyAt(const QString &path)
{
    // The open controller answers over the worker's own connection; another one is opened
    // through a transport of its own and closed again, so that no controller is opened twice.
    if (connection.isReady() && connection.portPath() == path) {
        ConnectionLink link = workerLink();
        TDev id {};
        return configuration::identify(link, &id) ? std::optional<TDev>(id) : std::nullopt;
    }
    if (!makeTransport)
        return std::nullopt;
    std::unique_ptr<UsbTransport> transport = makeTransport();
    transport->setPortPath(path);
    const std::optional<ControllerIdentity> c = identifyController(std::move(transport));
    return c && c->identified() ? std::optional<TDev>(c->id) : std::nullopt;
}

QString TThread::describeController()
{
    QString path;
    {
        QMutexLocker lock(&portMutex);
        path = port;
    }
    // Before the announcement the connection knows the port path, after the closing only the
    // announcement does.
    if (path.isEmpty())
        path = connection.portPath();
    // The bus as it is now: a controller that arrived counts, and one that left stays listed
    // (with its serial) until the check that follows its departure has run.
    const QStringList paths = listedPorts();
    QMutexLocker lock(&portMutex);
    roster.setListed(paths, true);
    return roster.suffix(path);
}

void TThread::startWatching()
{
    UsbTransport *link = connection.transport();
    if (watching || !link)
        return;
    watching = true;
#ifdef Q_OS_WIN
    // The main window's WM_DEVICECHANGE hook triggers the check there.
    link->watch(usb::VendorId, usb::ProductId);
#else
    if (!link->watch(usb::VendorId, usb::ProductId))
        plugWatch->startPolling(PollIntervalMs);
#endif
}
