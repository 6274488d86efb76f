// Identification of the controller, configuration read (job 2) and configuration write with
// read-back verification (job 3).

#include "config/modes.h"
#include "device/tthread.h"

#include <QLoggingCategory>
#include <QMetaMethod>
#include <QtEndian>

#include <algorithm>
#include <cstring>
#include <memory>

Q_LOGGING_CATEGORY(lcConfig, "k330.device.config")

namespace {

constexpr quint16 CmdIdentify = 1;
constexpr quint16 CmdMemory = 3;
constexpr quint16 TargetConfig = 0x50;
constexpr int HeaderSize = 8; // four header words of a command or a reply
constexpr int IdentReplySize = HeaderSize + TK440::IdentSize; // 22
constexpr int ConfigBytes = TK440::IdentOffset; // 388: the configuration memory the terminal uses
constexpr int WriteBlock = 64; // largest write block
constexpr int MaxOffset = 0x3FFF; // the configuration memory is 16 KiB

constexpr bool isSupportedVersion(quint16 version)
{
    return version == 0x0200 || version == 0x0201;
}

// Memory-form request: header words (command, read count, write count, target), then the 16-bit
// offset high byte first. Returns the bytes filled (10); the payload, if any, follows.
int memoryRequest(char *p, quint16 readCount, quint16 writeCount, quint16 offset)
{
    qToBigEndian<quint16>(CmdMemory, p);
    qToBigEndian<quint16>(readCount, p + 2);
    qToBigEndian<quint16>(writeCount, p + 4);
    qToBigEndian<quint16>(TargetConfig, p + 6);
    qToBigEndian<quint16>(offset, p + 8);
    return 10;
}

QString withNumber(const QString &text, int n)
{
    return text + QString::number(n);
}

} // namespace

void TThread::identify(TDev *out)
{
    // Words 1 to 3 of the request carry nothing; they go out as zeros.
    char request[HeaderSize] = {};
    qToBigEndian<quint16>(CmdIdentify, request);
    int n = usbWrite(usb::Ep1Out, request, HeaderSize);
    if (n < 0) {
        Q_EMIT mes(withNumber(tr("Ошибка запроса идентификатора устройства=>"), n));
        closeDevice();
        return;
    }

    // A stale reply of an earlier exchange must not pass for this one.
    std::memset(buf.get(), 0, size_t(bufSize));
    n = usbRead(usb::Ep1In, buf.get(), bufSize);
    if (n < 0) {
        Q_EMIT mes(withNumber(tr("Ошибка приема идентификатора устройства=>"), n));
        closeDevice();
        return;
    }
    // The record follows the header; a shorter reply is a failed receive, not a record.
    if (n < IdentReplySize) {
        qCWarning(lcConfig) << "identification reply of" << n << "bytes";
        Q_EMIT mes(withNumber(tr("Ошибка приема идентификатора устройства=>"), n));
        closeDevice();
        return;
    }
    if (qFromBigEndian<quint16>(buf.get()) != CmdIdentify) {
        Q_EMIT mes(tr("Ошибка приема идентификатора устройства"));
        closeDevice();
        return;
    }
    quint16 words[7];
    for (int i = 0; i < 7; ++i)
        words[i] = qFromBigEndian<quint16>(buf.get() + HeaderSize + 2 * i);
    std::memcpy(out, words, sizeof words);
}

void TThread::readConfig()
{
    // The record lives until the GUI thread has taken it, after every signal that points into
    // it and was already posted (readDev) has been delivered. Queued calls that are never
    // delivered (the thread object goes first) still free it with their shared owner.
    auto owner = std::make_shared<std::unique_ptr<TK440>>(std::make_unique<TK440>());
    TK440 *record = owner->get();
    std::memset(record->b, 0, TK440::Size);
    auto *dev = reinterpret_cast<TDev *>(record->b + TK440::IdentOffset);

    auto fail = [this, owner] {
        Q_EMIT readErr();
        QMetaObject::invokeMethod(
            this, [owner] { owner->reset(); }, Qt::QueuedConnection);
    };

    if (!hasDevice() || !buf) {
        fail();
        return;
    }
    TDev id {};
    identify(&id);
    if (!hasDevice()) {
        fail();
        return;
    }
    std::memcpy(dev, &id, sizeof id);
    if (!isSupportedVersion(id.version)) {
        Q_EMIT mes(tr("Ошибка, версия ПО контроллера не поддерживается"));
        fail();
        return;
    }
    quint32 count = TK440::IdentSize;
    Q_EMIT readCnt(count);
    Q_EMIT readDev(dev);

    const int payload = bufSize - HeaderSize;
    const int block = std::min(payload, ConfigBytes);
    int remaining = ConfigBytes;
    int offset = 0;
    int filled = 0;
    for (;;) {
        const int len = std::min(block, remaining);
        char request[10];
        const int size = memoryRequest(request, quint16(len), 2, quint16(offset));
        int n = usbWrite(usb::Ep1Out, request, size);
        if (n < 1) {
            Q_EMIT mes(withNumber(tr("Ошибка запроса конфигурации устройства=>"), n));
            fail();
            return;
        }
        std::memset(buf.get(), 0, size_t(bufSize));
        n = usbRead(usb::Ep1In, buf.get(), bufSize);
        // A reply that does not carry the whole block is a failed receive too: the missing
        // bytes would otherwise be taken from whatever the buffer held.
        if (n < 1 || n < HeaderSize + len) {
            if (n >= 1)
                qCWarning(lcConfig) << "block reply of" << n << "bytes for" << len;
            Q_EMIT mes(withNumber(tr("Ошибка приема конфигурации устройства=>"), n));
            fail();
            return;
        }
        std::memcpy(record->b + filled, buf.get() + HeaderSize, size_t(len));
        filled += len;
        count += quint32(len);
        offset += len;
        Q_EMIT readCnt(count);
        if (offset > MaxOffset || remaining - len == 0)
            break;
        remaining -= len;
    }
    Q_EMIT mes(tr("Процесс чтения конфигурации завершен, получено ") + QString::number(count)
               + tr(" байт."));

    // Handed over in the GUI thread: a receiver connected at that moment takes the record; when
    // the read window has gone meanwhile, nobody would free it, so it is freed here.
    QMetaObject::invokeMethod(
        this,
        [this, owner] {
            if (isSignalConnected(QMetaMethod::fromSignal(&TThread::readCfg)))
                Q_EMIT readCfg(owner->release());
            else
                owner->reset();
        },
        Qt::QueuedConnection);
}

void TThread::writeConfig(const TJob &job)
{
    if (!hasDevice() || !buf || !job.data) {
        Q_EMIT writeErr();
        return;
    }
    const char *image = job.data.get();
    // Only the configuration memory part of the record is ever sent.
    const int count = int(std::min<quint32>(job.size, ConfigBytes));

    TDev id {};
    identify(&id);
    if (!hasDevice()) {
        Q_EMIT writeErr();
        return;
    }
    const quint16 imageModel =
        quint16(quint8(image[TK440::ModelOffset]) | (quint8(image[TK440::ModelOffset + 1]) << 8));
    if (id.model != imageModel) {
        Q_EMIT mes(tr("Конфигурация не соответсвует типу контроллера."));
        Q_EMIT writeErr();
        return;
    }
    if (!modeAllows(currentMode(), ModeFeature::AnyFirmwareVersion)
        && !isSupportedVersion(id.version)) {
        Q_EMIT mes(tr("Ошибка, версия ПО контроллера не поддерживается"));
        Q_EMIT writeErr();
        return;
    }
    Q_EMIT writeStt();

    const int payload = bufSize - HeaderSize;
    // At least one byte per block, whatever payload size the controller announced.
    const int block = std::max(1, payload > 66 ? WriteBlock : payload - 3);
    int remaining = count;
    int offset = 0;
    int total = 0;
    while (remaining != 0) {
        int len = std::min(block, remaining);
        if (len < WriteBlock && len % 2 == 0)
            --len; // the byte left over goes into the next block
        char packet[10 + WriteBlock];
        const int head = memoryRequest(packet, 0, quint16(len + 2), quint16(offset));
        std::memcpy(packet + head, image + total, size_t(len));
        int n = usbWrite(usb::Ep1Out, packet, head + len);
        if (n < 0) {
            Q_EMIT mes(withNumber(tr("Ошибка записи в устройства=>"), n));
            Q_EMIT writeErr();
            return;
        }
        n = usbRead(usb::Ep1In, buf.get(), bufSize);
        if (n < 0) {
            Q_EMIT mes(withNumber(tr("Ошибка подтверждения записи=>"), n));
            Q_EMIT writeErr();
            return;
        }
        // The controller stores the block meanwhile.
        sleepMs(10 * len + 10);
        total += len;
        offset += len;
        Q_EMIT writeCnt(quint32(total));
        if (offset > MaxOffset)
            break;
        remaining -= len;
    }
    Q_EMIT mes(tr("Загрузка конфигурации завершена, передано ") + QString::number(total)
               + tr(" байт."));
    Q_EMIT writeChk();
    Q_EMIT writeCnt(0);

    const int verifyBlock = std::min(payload, total);
    remaining = total;
    offset = 0;
    int verified = 0;
    int differing = 0;
    while (remaining != 0) {
        const int len = std::min(verifyBlock, remaining);
        char request[10];
        const int size = memoryRequest(request, quint16(len), 2, quint16(offset));
        int n = usbWrite(usb::Ep1Out, request, size);
        if (n < 1) {
            Q_EMIT mes(withNumber(tr("Ошибка запроса данных =>"), n));
            Q_EMIT writeErr();
            return;
        }
        std::memset(buf.get(), 0, size_t(bufSize));
        n = usbRead(usb::Ep1In, buf.get(), bufSize);
        if (n < 1 || n < HeaderSize + len) {
            if (n >= 1)
                qCWarning(lcConfig) << "read-back reply of" << n << "bytes for" << len;
            Q_EMIT mes(withNumber(tr("Ошибка приема данных=>"), n));
            Q_EMIT writeErr();
            return;
        }
        const char *reply = buf.get() + HeaderSize;
        for (int i = 0; i < len; ++i) {
            if (reply[i] != image[verified + i])
                ++differing;
        }
        verified += len;
        offset += len;
        Q_EMIT writeCnt(quint32(verified));
        if (offset > MaxOffset)
            break;
        remaining -= len;
    }
    Q_EMIT mes(tr("Проверка загруженной конфигурации выполнена. Ошибочных ")
               + QString::number(differing) + tr(" байтов"));
    Q_EMIT writeStp();
}
