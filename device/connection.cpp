#include "device/connection.h"

#include "device/devicelink.h"
#include "device/handshake.h"

namespace {
constexpr int ProductBufferSize = 20; // including the terminator
} // namespace

using linktext::withNumber;

DeviceConnection::DeviceConnection(Events e)
    : events(std::move(e))
{ }

DeviceConnection::~DeviceConnection()
{
    drop();
}

void DeviceConnection::setTransport(std::unique_ptr<UsbTransport> transport)
{
    if (link)
        close();
    link = std::move(transport);
    productName.clear();
    lastOpenError = 0;
    failure = UsbTransport::NotListed;
}

int DeviceConnection::write(quint8 endpoint, const char *data, int size, int timeoutMs)
{
    return link ? link->bulkWrite(endpoint, data, size, timeoutMs) : usb::ErrNoDevice;
}

int DeviceConnection::read(quint8 endpoint, char *data, int size, int timeoutMs)
{
    return link ? link->bulkRead(endpoint, data, size, timeoutMs) : usb::ErrNoDevice;
}

void DeviceConnection::open(quint8 configuration)
{
    if (!link)
        return;
    const int r = link->open(usb::VendorId, usb::ProductId);
    failure = r;
    if (r == UsbTransport::NotListed) {
        lastOpenError = 0;
        return;
    }
    if (r < 0) {
        // Listed but not to be opened: say so once, not at every device change.
        if (r != lastOpenError) {
            lastOpenError = r;
            events.log(withNumber(
                r == usb::ErrAccess
                    ? LinkText::tr("Нет доступа к контроллеру на шине USB (права доступа), Error=")
                    : LinkText::tr("Контроллер на шине USB не открывается, Error="),
                r));
        }
        return;
    }
    lastOpenError = 0;
    QByteArray name;
    if (link->productString(&name, ProductBufferSize) > 0)
        productName = QString::fromLatin1(name);
    int n = link->setConfiguration(configuration);
    failure = n < 0 ? n : 0;
    if (n < 0) {
        events.log(withNumber(LinkText::tr("Конфигурация контроллера не доступна, Error="), n));
        link->close();
        return;
    }
    n = link->claimInterface(usb::Interface);
    failure = n < 0 ? n : 0;
    if (n < 0) {
        events.log(LinkText::tr("Интерфейс контроллера не доступен"));
        link->close();
        return;
    }
}

DeviceConnection::BootOpening DeviceConnection::openBoot()
{
    open(usb::ConfigBoot);
    if (!isOpen())
        return BootOpening::NoController;
    const int n = link->prepareEndpoint(usb::Ep6Out);
    if (n < 0) {
        events.log(withNumber(LinkText::tr("Ошибка Ep6out=>"), n));
        drop();
        return BootOpening::EndpointFailed;
    }
    return BootOpening::Ready;
}

void DeviceConnection::handshake()
{
    if (!isOpen())
        return;
    const struct
    {
        quint8 ep;
        const char *message;
    } endpoints[] = {
        {usb::Ep1Out, QT_TRANSLATE_NOOP("TThread", "Ошибка Ep1out=>")},
        {usb::Ep1In, QT_TRANSLATE_NOOP("TThread", "Ошибка Ep1in=>")},
        {usb::Ep2In, QT_TRANSLATE_NOOP("TThread", "Ошибка Ep2in=>")},
    };
    for (const auto &e : endpoints) {
        const int n = link->prepareEndpoint(e.ep);
        if (n < 0) {
            events.log(withNumber(LinkText::tr(e.message), n));
            close();
            return;
        }
    }
    transfer = 0;

    const QByteArray request = handshake::request();
    int n = write(usb::Ep1Out, request.constData(), int(request.size()));
    if (n < 0) {
        events.log(withNumber(LinkText::tr("Ошибка передачи данных=>"), n));
        close();
        return;
    }
    QByteArray reply(handshake::ReplySize, '\0');
    n = read(usb::Ep1In, reply.data(), int(reply.size()));
    if (n < 0) {
        events.log(withNumber(LinkText::tr("Ошибка приема данных=>"), n));
        close();
        return;
    }
    reply.truncate(n);
    const int payload = handshake::payloadSize(reply);
    if (payload == 0) {
        events.log(LinkText::tr("Ошибка инициализации соединения"));
        close();
        return;
    }
    transfer = payload + 8;
    if (handshake::isAnnouncedProduct(productName)) {
        announced = true;
        events.log(LinkText::tr("Контроллер VELK K-330S подключен к шине USB") + named());
        events.announce(true);
    }
}

void DeviceConnection::drop()
{
    if (link)
        link->close();
    transfer = 0;
    if (events.closed)
        events.closed();
}

void DeviceConnection::release()
{
    drop();
    announced = false;
    link.reset();
}

void DeviceConnection::close()
{
    drop();
    // Whatever closed an announced connection (a failed identification, a failed handshake
    // step), the windows hear that it has gone; otherwise they would go on offering the read.
    if (announced)
        lost();
}

void DeviceConnection::lost()
{
    announced = false;
    drop();
    events.log(LinkText::tr("Контроллер VELK K-330S отключен от шины USB") + named());
    events.announce(false);
}

void DeviceConnection::check()
{
    if (!link)
        return;
    if (isOpen()) {
        if (link->isListed(usb::VendorId, usb::ProductId))
            return;
        announced = false;
        drop();
        events.log(LinkText::tr("Контроллер VELK K-330С отключен от шины USB") + named());
        events.announce(false);
        return;
    }
    open(usb::ConfigNormal);
    handshake();
}

QString DeviceConnection::portPath()
{
    if (!isOpen())
        return {};
    const QString chosen = link->portPath();
    if (!chosen.isEmpty())
        return chosen;
    for (const UsbPortInfo &port : link->list(usb::VendorId, usb::ProductId)) {
        if (port.openError == 0)
            return port.path;
    }
    return {};
}
