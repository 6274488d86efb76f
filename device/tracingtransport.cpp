#include "device/tracingtransport.h"

#include <QDateTime>

TracingTransport::TracingTransport(std::unique_ptr<UsbTransport> inner, const QString &fileName)
    : next(std::move(inner))
    , file(fileName)
{
    file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered);
    connect(next.get(), &UsbTransport::deviceChanged, this, &UsbTransport::deviceChanged,
            Qt::DirectConnection);
}

TracingTransport::~TracingTransport() = default;

std::unique_ptr<UsbTransport> makeTracingTransport(std::unique_ptr<UsbTransport> inner,
                                                   const QString &fileName)
{
    return std::make_unique<TracingTransport>(std::move(inner), fileName);
}

QByteArray TracingTransport::formatLine(const QString &endpoint, int requested, int timeoutMs,
                                        int result, const char *data)
{
    QByteArray line = endpoint.toLatin1();
    line += " req=" + QByteArray::number(requested);
    line += " tmo=" + QByteArray::number(timeoutMs);
    line += " res=" + QByteArray::number(result);
    if (result > 0 && data) {
        line += ' ';
        line += QByteArray::fromRawData(data, result).toHex(' ');
    }
    return line;
}

void TracingTransport::append(const QString &endpoint, int requested, int timeoutMs, int result,
                              const char *data)
{
    if (!file.isOpen())
        return;
    QByteArray line =
        QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")).toLatin1();
    line += ' ';
    // A transport pointed at one controller of several names it, so that the lines of
    // controllers served at once (one transport each, one trace file) can be told apart.
    if (const QString path = next->portPath(); !path.isEmpty())
        line += '[' + path.toLatin1() + "] ";
    line += formatLine(endpoint, requested, timeoutMs, result, data);
    line += '\n';
    QMutexLocker lock(&fileMutex);
    file.write(line); // unbuffered: the line is in the file when write returns
}

int TracingTransport::open(quint16 vendor, quint16 product)
{
    return next->open(vendor, product);
}

bool TracingTransport::isOpen() const
{
    return next->isOpen();
}

int TracingTransport::productString(QByteArray *out, int maxLength)
{
    const int r = next->productString(out, maxLength);
    append(QStringLiteral("Ep0 string"), maxLength, usb::TimeoutMs, r,
           r > 0 ? out->constData() : nullptr);
    return r;
}

int TracingTransport::setConfiguration(int configuration)
{
    const int r = next->setConfiguration(configuration);
    append(QStringLiteral("Ep0 config=%1").arg(configuration), 0, usb::TimeoutMs, r, nullptr);
    return r;
}

int TracingTransport::claimInterface(int interface)
{
    return next->claimInterface(interface);
}

int TracingTransport::prepareEndpoint(quint8 endpoint)
{
    return next->prepareEndpoint(endpoint);
}

int TracingTransport::bulkWrite(quint8 endpoint, const char *data, int size, int timeoutMs)
{
    const int r = next->bulkWrite(endpoint, data, size, timeoutMs);
    append(usb::endpointName(endpoint), size, timeoutMs, qMin(r, size), data);
    return r;
}

int TracingTransport::bulkRead(quint8 endpoint, char *data, int size, int timeoutMs)
{
    const int r = next->bulkRead(endpoint, data, size, timeoutMs);
    append(usb::endpointName(endpoint), size, timeoutMs, qMin(r, size), data);
    return r;
}

void TracingTransport::close()
{
    next->close();
}

bool TracingTransport::isListed(quint16 vendor, quint16 product)
{
    return next->isListed(vendor, product);
}

bool TracingTransport::watch(quint16 vendor, quint16 product)
{
    return next->watch(vendor, product);
}

QList<UsbPortInfo> TracingTransport::list(quint16 vendor, quint16 product)
{
    return next->list(vendor, product);
}

void TracingTransport::setPortPath(const QString &path)
{
    next->setPortPath(path);
}

QString TracingTransport::portPath() const
{
    return next->portPath();
}
