#include "device/operations/verifyoperation.h"

#include "config/crc16.h"
#include "config/image.h"
#include "device/configexchange.h"
#include "device/configprotocol.h"
#include "device/operations/recording.h"

VerifyOperation::VerifyOperation(OperationSink &sink, const TK440 &image, int mode)
    : Operation(OperationKind::Verify, sink, writeLength(mode))
    , image(image)
    , mode(mode)
{ }

QString VerifyOperation::failureText() const
{
    return OperationText::tr("Ошибка. Чтение конфигурации прервано.");
}

void VerifyOperation::exchange(DeviceLink &link)
{
    read.run(link);
}

void VerifyOperation::readFinished(const OperationResult &r)
{
    if (r.identified)
        identified(r.controller);
    if (r.outcome == OperationOutcome::Done) {
        deviceRead = true;
        compare();
    } else
        finish(r.outcome, r.message);
}

void VerifyOperation::compare()
{
    // What a write in this mode would have sent: the model, the sections and, where the mode
    // writes it, the information area.
    const int count = writeLength(mode);
    diffs = writeChanges(image, device, mode);
    TK440 fileWire = image;
    TK440 deviceWire = device;
    toDeviceForm(Crc16(), fileWire);
    toDeviceForm(Crc16(), deviceWire);
    const int differing = image.model() != device.model()
        ? count
        : configuration::differingBytes(fileWire.data(), deviceWire.data(), count);
    finish(diffs.isEmpty() && differing == 0 ? OperationOutcome::Done : OperationOutcome::Differs,
           OperationText::tr("Проверка загруженной конфигурации выполнена. Ошибочных ")
               + QString::number(differing) + OperationText::tr(" байтов"),
           differing);
}

void VerifyOperation::describe(OperationRecord &record) const
{
    if (deviceRead)
        record.readImage = QByteArray(device.data(), TK440::Size);
    if (record.fileSha256.isEmpty())
        record.fileSha256 = sha256Hex(QByteArray(image.data(), TK440::Size));
    if (record.mode.isEmpty())
        record.mode = QString::number(mode);
}
