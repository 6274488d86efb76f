// Finding, opening, handshaking with and closing the controller; the hot-plug check.

#include "device/tthread.h"

namespace {
const QString ProductName = QStringLiteral("VELK K-330S");
constexpr int ProductBufferSize = 20; // including the terminator
constexpr int PollIntervalMs = 1000; // hot-plug check period where no events are reported

QString withNumber(const QString &text, int n)
{
    return text + QString::number(n);
}
} // namespace

void TThread::setTransport(std::unique_ptr<UsbTransport> transport)
{
    QMutexLocker lock(&connMutex);
    if (link) {
        closeDevice();
        link->disconnect(plugWatch.get());
    }
    link = std::move(transport);
    product.clear();
    lastOpenError = 0;
    if (!link)
        return;
    connect(link.get(), &UsbTransport::deviceChanged, plugWatch.get(), &UsbHotplug::notify,
            Qt::DirectConnection);
    if (watching) {
        watching = false;
        startWatching();
    }
}

bool TThread::isConnected()
{
    QMutexLocker lock(&connMutex);
    return hasDevice();
}

int TThread::usbWrite(quint8 ep, const char *data, int size, int timeoutMs)
{
    return link ? link->bulkWrite(ep, data, size, timeoutMs) : usb::ErrNoDevice;
}

int TThread::usbRead(quint8 ep, char *data, int size, int timeoutMs)
{
    return link ? link->bulkRead(ep, data, size, timeoutMs) : usb::ErrNoDevice;
}

void TThread::openDevice(quint8 configuration)
{
    if (!link)
        return;
    const int r = link->open(usb::VendorId, usb::ProductId);
    if (r == UsbTransport::NotListed) {
        lastOpenError = 0;
        return;
    }
    if (r < 0) {
        // Listed but not to be opened: say so once, not at every device change.
        if (r != lastOpenError) {
            lastOpenError = r;
            Q_EMIT mes(
                withNumber(r == usb::ErrAccess
                               ? tr("Нет доступа к контроллеру на шине USB (права доступа), Error=")
                               : tr("Контроллер на шине USB не открывается, Error="),
                           r));
        }
        return;
    }
    lastOpenError = 0;
    QByteArray name;
    if (link->productString(&name, ProductBufferSize) > 0)
        product = QString::fromLatin1(name);
    int n = link->setConfiguration(configuration);
    if (n < 0) {
        Q_EMIT mes(withNumber(tr("Конфигурация контроллера не доступна, Error="), n));
        link->close();
        return;
    }
    n = link->claimInterface(usb::Interface);
    if (n < 0) {
        Q_EMIT mes(tr("Интерфейс контроллера не доступен"));
        link->close();
        return;
    }
}

void TThread::initLink()
{
    if (!hasDevice())
        return;
    const struct
    {
        quint8 ep;
        const char *message;
    } endpoints[] = {
        {usb::Ep1Out, QT_TR_NOOP("Ошибка Ep1out=>")},
        {usb::Ep1In, QT_TR_NOOP("Ошибка Ep1in=>")},
        {usb::Ep2In, QT_TR_NOOP("Ошибка Ep2in=>")},
    };
    for (const auto &e : endpoints) {
        const int n = link->prepareEndpoint(e.ep);
        if (n < 0) {
            Q_EMIT mes(withNumber(tr(e.message), n));
            closeDevice();
            return;
        }
    }
    buf.reset();
    bufSize = 0;

    // Command 0 with word 1 = 0x4000; the reply's word 1 is the payload size N.
    const char handshake[4] = {0x00, 0x00, 0x40, 0x00};
    int n = usbWrite(usb::Ep1Out, handshake, 4);
    if (n < 0) {
        Q_EMIT mes(withNumber(tr("Ошибка передачи данных=>"), n));
        closeDevice();
        return;
    }
    unsigned char reply[4] = {};
    n = usbRead(usb::Ep1In, reinterpret_cast<char *>(reply), 4);
    if (n < 0) {
        Q_EMIT mes(withNumber(tr("Ошибка приема данных=>"), n));
        closeDevice();
        return;
    }
    const int payload = (reply[2] << 8) | reply[3];
    if (n < 4 || payload == 0) {
        Q_EMIT mes(tr("Ошибка инициализации соединения"));
        closeDevice();
        return;
    }
    bufSize = payload + 8;
    buf = std::make_unique<char[]>(size_t(bufSize));
    if (product == ProductName) {
        announced = true;
        Q_EMIT mes(tr("Контроллер VELK K-330S подключен к шине USB"));
        Q_EMIT conn(true);
    }
}

void TThread::dropDevice()
{
    if (link)
        link->close();
    buf.reset();
    bufSize = 0;
    monMask = 0;
    monFill = 0;
}

void TThread::closeDevice()
{
    dropDevice();
    // Whatever closed an announced connection (a failed identification, a failed handshake
    // step), the windows hear that it has gone; otherwise they would go on offering the read.
    if (announced)
        lostDevice();
}

void TThread::lostDevice()
{
    announced = false;
    dropDevice();
    Q_EMIT mes(tr("Контроллер VELK K-330S отключен от шины USB"));
    Q_EMIT conn(false);
}

void TThread::checkDevice()
{
    // The check talks to the device (a handshake may wait out its time-outs), so it never runs
    // in the caller's thread: the worker runs it after the job in progress, or at once when
    // idle. The empty job only wakes an idle worker; jobs without a handler do nothing.
    ++checksPending;
    reqJob(0, {}, 0);
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
    runCheck();
}

void TThread::startWatching()
{
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

void TThread::runCheck()
{
    startWatching();
    if (!link)
        return;
    if (hasDevice()) {
        if (link->isListed(usb::VendorId, usb::ProductId))
            return;
        announced = false;
        dropDevice();
        Q_EMIT mes(tr("Контроллер VELK K-330С отключен от шины USB"));
        Q_EMIT conn(false);
        return;
    }
    openDevice(usb::ConfigNormal);
    initLink();
}
