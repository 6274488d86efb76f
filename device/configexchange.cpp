#include "device/configexchange.h"

#include "config/modes.h"
#include "device/configprotocol.h"
#include "device/usbtransport.h"

#include <QLoggingCategory>

#include <algorithm>
#include <cstring>

Q_LOGGING_CATEGORY(lcConfig, "k330.device.config")

namespace configuration {

using linktext::withNumber;

bool identify(DeviceLink &link, TDev *out)
{
    int n = link.write(usb::Ep1Out, identifyRequest());
    if (n < 0) {
        link.log(withNumber(LinkText::tr("Ошибка запроса идентификатора устройства=>"), n));
        link.close();
        return false;
    }
    QByteArray reply;
    n = link.readReply(reply);
    if (n < 0) {
        link.log(withNumber(LinkText::tr("Ошибка приема идентификатора устройства=>"), n));
        link.close();
        return false;
    }
    const Identification id = parseIdentification(reply);
    switch (id.status) {
    case Identification::Ok:
        *out = id.dev;
        return true;
    case Identification::Short:
        // The record follows the header; a shorter reply is a failed receive, not a record.
        qCWarning(lcConfig) << "identification reply of" << n << "bytes";
        link.log(withNumber(LinkText::tr("Ошибка приема идентификатора устройства=>"), n));
        break;
    case Identification::WrongCommand:
        link.log(LinkText::tr("Ошибка приема идентификатора устройства"));
        break;
    }
    link.close();
    return false;
}

namespace {

// Reads the blocks into out; on a failure logs the request or receive text with the number.
bool readMemory(DeviceLink &link, const QList<Block> &blocks, char *out, const char *requestError,
                const char *receiveError, const char *what,
                const std::function<void(int block)> &done)
{
    for (const Block &b : blocks) {
        int n = link.write(usb::Ep1Out, memoryRead(quint16(b.size), quint16(b.offset)));
        if (n < 1) {
            link.log(withNumber(LinkText::tr(requestError), n));
            return false;
        }
        QByteArray reply;
        n = link.readReply(reply);
        if (!isCompleteBlock(n, b.size)) {
            if (n >= 1)
                qCWarning(lcConfig) << what << "reply of" << n << "bytes for" << b.size;
            link.log(withNumber(LinkText::tr(receiveError), n));
            return false;
        }
        std::memcpy(out + b.offset, reply.constData() + HeaderSize, size_t(b.size));
        done(b.size);
    }
    return true;
}

} // namespace

bool read(DeviceLink &link, TK440 &record, const ReadProgress &progress)
{
    TDev id {};
    if (!identify(link, &id))
        return false;
    std::memcpy(record.b + TK440::IdentOffset, &id, sizeof id);
    if (!isSupportedVersion(id.version)) {
        link.log(LinkText::tr("Ошибка, версия ПО контроллера не поддерживается"));
        return false;
    }
    quint32 count = TK440::IdentSize;
    progress.received(count);
    progress.identified();

    const int payload = link.transferSize() - HeaderSize;
    const bool ok =
        readMemory(link, readBlocks(payload, ConfigBytes), reinterpret_cast<char *>(record.b),
                   QT_TRANSLATE_NOOP("TThread", "Ошибка запроса конфигурации устройства=>"),
                   QT_TRANSLATE_NOOP("TThread", "Ошибка приема конфигурации устройства=>"), "block",
                   [&](int size) {
                       count += quint32(size);
                       progress.received(count);
                   });
    if (!ok)
        return false;
    link.log(LinkText::tr("Процесс чтения конфигурации завершен, получено ")
             + QString::number(count) + LinkText::tr(" байт."));
    return true;
}

namespace {

// Sends the first count bytes of the record block by block, each acknowledged; the bytes
// sent, or -1 after a failed block (logged).
int sendBlocks(DeviceLink &link, const char *record, int count, int payload,
               const WriteProgress &progress)
{
    int total = 0;
    for (const Block &b : writeBlocks(payload, count)) {
        int n = link.write(usb::Ep1Out, memoryWrite(quint16(b.offset), record + b.offset, b.size));
        if (n < 0) {
            link.log(withNumber(LinkText::tr("Ошибка записи в устройства=>"), n));
            return -1;
        }
        QByteArray reply;
        n = link.readReply(reply);
        if (n < 0) {
            link.log(withNumber(LinkText::tr("Ошибка подтверждения записи=>"), n));
            return -1;
        }
        // The controller stores the block meanwhile.
        link.pause(10 * b.size + 10);
        total += b.size;
        progress.count(quint32(total));
    }
    return total;
}

} // namespace

bool write(DeviceLink &link, const char *record, int count, const WriteProgress &progress)
{
    // Only the configuration memory part of the record is ever sent.
    count = std::clamp(count, 0, ConfigBytes);
    TDev id {};
    if (!identify(link, &id))
        return false;
    if (progress.identified)
        progress.identified(id);
    if (id.model != imageModel(record)) {
        link.log(LinkText::tr("Конфигурация не соответсвует типу контроллера."));
        return false;
    }
    if (!modeAllows(link.mode(), ModeFeature::AnyFirmwareVersion)
        && !isSupportedVersion(id.version)) {
        link.log(LinkText::tr("Ошибка, версия ПО контроллера не поддерживается"));
        return false;
    }
    progress.started();

    const int payload = link.transferSize() - HeaderSize;
    const int total = sendBlocks(link, record, count, payload, progress);
    if (total < 0)
        return false;
    link.log(LinkText::tr("Загрузка конфигурации завершена, передано ") + QString::number(total)
             + LinkText::tr(" байт."));
    progress.verifying();
    progress.count(0);

    QByteArray readBack(total, '\0');
    int verified = 0;
    const bool ok = readMemory(link, readBlocks(payload, total), readBack.data(),
                               QT_TRANSLATE_NOOP("TThread", "Ошибка запроса данных =>"),
                               QT_TRANSLATE_NOOP("TThread", "Ошибка приема данных=>"), "read-back",
                               [&](int size) {
                                   verified += size;
                                   progress.count(quint32(verified));
                               });
    if (!ok)
        return false;
    const int differing = differingBytes(readBack.constData(), record, verified);
    link.log(LinkText::tr("Проверка загруженной конфигурации выполнена. Ошибочных ")
             + QString::number(differing) + LinkText::tr(" байтов"));
    if (progress.checked)
        progress.checked(differing);
    return true;
}

} // namespace configuration
