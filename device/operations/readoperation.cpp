#include "device/operations/readoperation.h"

#include "config/crc16.h"
#include "config/image.h"
#include "device/configexchange.h"

#include <cstring>
#include <memory>

ReadOperation::ReadOperation(OperationSink &sink, TK440 &target)
    : Operation(OperationKind::Read, sink, TK440::Size)
    , target(&target)
{ }

bool ReadOperation::acceptIdentity(const TDev &dev)
{
    switch (dev.model) {
    case TK440::ModelRA:
        stage(OperationText::tr("Контроллер K-330RA, чтение конфигурации."), TK440::Size);
        return true;
    case TK440::ModelRB:
        // The system's text has the Cyrillic letter here.
        stage(OperationText::tr("Контроллер К-330RB, чтение конфигурации."), TK440::Size);
        return true;
    default:
        // The exchange goes on; whatever it delivers afterwards is ignored.
        finish(OperationOutcome::WrongModel,
               OperationText::tr("Ошибка (") + QString::number(dev.model)
                   + OperationText::tr("), чтение остановлено"));
        return false;
    }
}

void ReadOperation::received(const TK440 &record)
{
    if (isFinished())
        return;
    const ReadCheck check =
        fromDeviceForm(Crc16(), QByteArrayView(record.data(), TK440::Size), image);
    if (!check.ok) {
        finish(OperationOutcome::Corrupt,
               OperationText::tr("Конфигурация повреждена, CRC: 0x")
                   + QString::number(check.computed, 16) + QStringLiteral("!=0x")
                   + QString::number(check.stored, 16));
        return;
    }
    if (target)
        *target = image;
    QString model = configModelText(image.model());
    if (model.isEmpty())
        model = QStringLiteral("xxxxxxx");
    finish(OperationOutcome::Done,
           OperationText::tr("Контроллер ") + model
               + OperationText::tr(", конфигурации прочитана."));
}

QString ReadOperation::failureText() const
{
    return OperationText::tr("Ошибка. Чтение конфигурации прервано.");
}

void ReadOperation::exchange(DeviceLink &link)
{
    auto record = std::make_unique<TK440>();
    std::memset(record->b, 0, TK440::Size);
    const configuration::ReadProgress progress {
        [&] {
            TDev dev;
            std::memcpy(&dev, record->b + TK440::IdentOffset, sizeof dev);
            identified(dev);
        },
        [this](quint32 n) { count(n); },
    };
    if (configuration::read(link, *record, progress))
        received(*record);
    else
        failed();
}

void ReadOperation::describe(OperationRecord &record) const
{
    if (result().outcome == OperationOutcome::Done)
        record.readImage = QByteArray(image.data(), TK440::Size);
}
