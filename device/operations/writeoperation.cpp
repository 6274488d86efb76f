#include "device/operations/writeoperation.h"

#include "config/crc16.h"
#include "config/image.h"
#include "device/configexchange.h"
#include "device/configprotocol.h"
#include "device/controllers.h"

WriteOperation::WriteOperation(OperationSink &sink, const TK440 &image, int mode)
    : ReadBackOperation(OperationKind::Write, sink, writeLength(mode),
                        {QT_TRANSLATE_NOOP("Operation", ", загрузка конфигурации."),
                         QT_TRANSLATE_NOOP("Operation", ", проверка конфигурации."),
                         QT_TRANSLATE_NOOP("Operation", ", конфигурации записана.")})
    , image(image)
    , wire(image)
    , model(configModelText(image.model()))
{
    toDeviceForm(Crc16(), wire);
}

bool WriteOperation::sendable() const
{
    return !model.isEmpty();
}

bool WriteOperation::prepare()
{
    if (sendable())
        return true;
    finish(OperationOutcome::UnknownModel,
           OperationText::tr("Конфигурация не соответсвует типу контроллера."));
    return false;
}

void WriteOperation::started()
{
    startWriting(model);
}

bool WriteOperation::acceptIdentity(const TDev &dev)
{
    if (unit.isEmpty() || ControllerIdentity {QString(), dev, QString()}.serialText() == unit)
        return true;
    finish(OperationOutcome::NoController,
           OperationText::tr("Контроллер ") + unit + OperationText::tr(" не подключен."));
    return false;
}

OperationOutcome WriteOperation::failureOutcome() const
{
    // The exchange refuses a controller of another model than the image's.
    return result().identified
            && result().controller.model != configuration::imageModel(wire.data())
        ? OperationOutcome::WrongModel
        : OperationOutcome::TransferFailed;
}

QString WriteOperation::failureText() const
{
    return OperationText::tr("Ошибка. Запись конфигурации прервана.");
}

void WriteOperation::exchange(DeviceLink &link)
{
    if (!prepare())
        return;
    const configuration::WriteProgress progress {
        [this] { started(); },
        [this] { verifying(); },
        [this](quint32 n) { count(n); },
        [this](int n) { checked(n); },
        [this](const TDev &dev) { identified(dev); },
    };
    if (configuration::write(link, record(), length(), progress))
        completed();
    else
        failed();
}

void WriteOperation::describe(OperationRecord &record) const
{
    record.writtenImage = QByteArray(image.data(), TK440::Size);
    if (record.fileSha256.isEmpty())
        record.fileSha256 = sha256Hex(record.writtenImage);
}
