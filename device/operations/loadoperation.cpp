#include "device/operations/loadoperation.h"

#include "config/image.h"
#include "device/connection.h"
#include "device/flashexchange.h"

#include <climits>

LoadOperation::LoadOperation(OperationSink &sink, qsizetype size)
    : ReadBackOperation(OperationKind::Load, sink, int(qMin<qsizetype>(size, INT_MAX)),
                        {QT_TRANSLATE_NOOP("Operation", ", загрузка ПО."),
                         QT_TRANSLATE_NOOP("Operation", ", проверка ПО."),
                         QT_TRANSLATE_NOOP("Operation", ", ПО загружено.")})
{ }

LoadOperation::LoadOperation(OperationSink &sink, const QByteArray &firmware)
    : LoadOperation(sink, firmware.size())
{
    this->firmware = firmware;
}

void LoadOperation::started(quint16 code)
{
    mode = code == 0 ? QStringLiteral("boot") : QStringLiteral("normal");
    startWriting(code == 0 ? OperationText::tr("в режиме boot") : modelName(code));
}

QString LoadOperation::failureText() const
{
    return OperationText::tr("Ошибка. Загрузка ПО прервана.");
}

void LoadOperation::describe(OperationRecord &record) const
{
    if (record.mode.isEmpty())
        record.mode = mode;
    if (record.fileSha256.isEmpty())
        record.fileSha256 = sha256Hex(firmware);
}

namespace {

flash::LoadProgress progressOf(LoadOperation &op)
{
    return {
        [&op](quint16 model) { op.started(model); },
        [&op] { op.verifying(); },
        [&op](quint32 n) { op.count(n); },
        [&op](int n) { op.checked(n); },
        [&op](const TDev &dev) { op.identified(dev); },
    };
}

} // namespace

void LoadOperation::exchange(DeviceLink &link)
{
    if (flash::load(link, firmware.constData(), result().bytes, progressOf(*this)))
        completed();
    else
        failed();
}

const OperationResult &LoadOperation::stream(DeviceLink &link)
{
    if (isFinished())
        return result();
    if (flash::stream(link, firmware.constData(), result().bytes, progressOf(*this)))
        completed();
    else
        failed();
    return result();
}

const OperationResult &LoadOperation::run(DeviceConnection &connection, DeviceLink &link)
{
    if (connection.isReady())
        return run(link);
    if (connection.isOpen()) {
        failed(); // opened but not handshaken: neither mode applies
        return result();
    }
    switch (connection.openBoot()) {
    case DeviceConnection::BootOpening::NoController:
        noController();
        break;
    case DeviceConnection::BootOpening::EndpointFailed:
        failed();
        break;
    case DeviceConnection::BootOpening::Ready:
        stream(link);
        connection.drop();
        break;
    }
    return result();
}
