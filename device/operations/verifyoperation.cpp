#include "device/operations/verifyoperation.h"

#include "config/crc16.h"
#include "config/image.h"
#include "config/language.h"
#include "config/windows.h"
#include "device/configexchange.h"
#include "device/configprotocol.h"

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
    if (r.outcome == OperationOutcome::Done)
        compare();
    else
        finish(r.outcome, r.message);
}

void VerifyOperation::compare()
{
    // What a write in this mode would have sent: the model, the sections and, where the mode
    // writes it, the information area.
    const int count = writeLength(mode);
    const bool withInfo = count > TK440::ConfigAreaSize;
    const QString infoTitle = windowRow(WindowId::Info).titleText();
    QList<FieldDifference> all;
    {
        const SourceLanguageScope russian;
        all = compareImages(image, device);
    }
    for (const FieldDifference &d : all) {
        if (d.section == infoTitle && !withInfo)
            continue;
        if (d.section == identityTitle() && d.field != QLatin1String("model"))
            continue;
        diffs.append(d);
    }
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
