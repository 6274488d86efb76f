#include "device/flashexchange.h"

#include "device/configexchange.h"
#include "device/flashprotocol.h"
#include "device/usbtransport.h"

#include <algorithm>

namespace flash {

using linktext::withNumber;

namespace {

// Sends one instruction and reads its reply; on a failure logs the text for the step with the
// error number. The reply holds the bytes received.
bool transfer(DeviceLink &link, const QByteArray &packet, QByteArray &reply, const char *sendError,
              const char *replyError)
{
    int n = link.write(usb::Ep1Out, packet);
    if (n < 0) {
        link.log(withNumber(LinkText::tr(sendError), n));
        return false;
    }
    n = link.readReply(reply);
    if (n < 0) {
        link.log(withNumber(LinkText::tr(replyError), n));
        return false;
    }
    return true;
}

// Polls the status register until the flash is not busy, within BusyLimitMs.
bool waitReady(DeviceLink &link)
{
    for (int waited = 0;; waited += BusyPollMs) {
        QByteArray reply;
        if (!transfer(link, readStatus(), reply,
                      QT_TRANSLATE_NOOP("TThread", "Ошибка запроса RDSR=>"),
                      QT_TRANSLATE_NOOP("TThread", "Ошибка чтения RDSR=>")))
            return false;
        const auto status = statusOf(reply);
        if (!status) {
            link.log(withNumber(LinkText::tr("Ошибка чтения RDSR=>"), int(reply.size())));
            return false;
        }
        if (!(*status & StatusBusy))
            return true;
        if (waited >= BusyLimitMs) {
            link.log(LinkText::tr("Ошибка, флеш-память занята дольше 10 с"));
            return false;
        }
        link.pause(BusyPollMs);
    }
}

// Erases and programs the flash step by step; the bytes written, or -1 after a failed step
// (logged).
int programFlash(DeviceLink &link, const char *data, int size, int payload,
                 const LoadProgress &progress)
{
    quint32 written = 0;
    QByteArray reply;
    for (const Step &s : writeSteps(payload, size)) {
        if (!waitReady(link))
            return -1;
        progress.count(written);
        if (!transfer(link, writeEnable(), reply,
                      QT_TRANSLATE_NOOP("TThread", "Ошибка передачи WREN=>"),
                      QT_TRANSLATE_NOOP("TThread", "Ошибка подтверждения WREN=>")))
            return -1;
        if (s.isErase()) {
            if (!transfer(link, sectorErase(s.address), reply,
                          QT_TRANSLATE_NOOP("TThread", "Ошибка передачи SE=>"),
                          QT_TRANSLATE_NOOP("TThread", "Ошибка подтверждения SE=>")))
                return -1;
            link.pause(EraseMs);
            continue;
        }
        if (!transfer(link, pageProgram(s.address, data + s.address, s.size), reply,
                      QT_TRANSLATE_NOOP("TThread", "Ошибка передачи WrData=>"),
                      QT_TRANSLATE_NOOP("TThread", "Ошибка подтверждения WrData=>")))
            return -1;
        written += quint32(s.size);
        link.pause(s.size / PageSize + 1);
    }
    return int(written);
}

// Reads the written bytes back and counts those that differ from data; -1 after a failed
// read (logged).
int verifyFlash(DeviceLink &link, const char *data, int written, int payload,
                const LoadProgress &progress)
{
    QByteArray reply;
    int address = 0;
    int differing = 0;
    for (int piece : readBackPieces(payload, written)) {
        link.pause(ReadBackPauseMs);
        if (!transfer(link, readData(address, piece), reply,
                      QT_TRANSLATE_NOOP("TThread", "Ошибка запроса RdData=>"),
                      QT_TRANSLATE_NOOP("TThread", "Ошибка приема RdData=>")))
            return -1;
        // Only a reply that carries the whole piece is compared: missing bytes would be
        // taken from whatever the buffer held before.
        if (reply.size() < HeaderSize + piece) {
            link.log(withNumber(LinkText::tr("Ошибка приема RdData=>"), int(reply.size())));
            return -1;
        }
        for (int i = 0; i < piece; ++i)
            differing += reply[HeaderSize + i] != data[address + i];
        address += piece;
        progress.count(quint32(address));
    }
    return differing;
}

} // namespace

bool load(DeviceLink &link, const char *data, int size, const LoadProgress &progress)
{
    TDev id {};
    if (!configuration::identify(link, &id))
        return false;
    if (progress.identified)
        progress.identified(id);
    progress.started(id.model);
    link.log(LinkText::tr("Процесс загрузки ПО запущен"));

    const int payload = link.transferSize() - HeaderSize;
    const int written = programFlash(link, data, size, payload, progress);
    if (written < 0)
        return false;
    if (!waitReady(link))
        return false;
    progress.count(quint32(written));
    link.log(LinkText::tr("Процесс загрузки ПО завершен, передано ") + QString::number(written)
             + LinkText::tr(" байт."));
    progress.verifying();
    link.log(LinkText::tr("Процесс проверки ПО запущен"));
    progress.count(0);

    const int differing = verifyFlash(link, data, written, payload, progress);
    if (differing < 0)
        return false;
    link.log(LinkText::tr("Проверка загруженного ПО выполнена. Ошибочных ")
             + QString::number(differing) + LinkText::tr(" байтов"));
    if (progress.checked)
        progress.checked(differing);
    return true;
}

bool stream(DeviceLink &link, const char *data, int size, const LoadProgress &progress)
{
    progress.started(0);
    link.log(LinkText::tr("Процесс загрузки ПО (boot_mode) запущен"));
    int sent = 0;
    while (sent < size) {
        const int piece = std::min(BootPiece, size - sent);
        const int n = link.write(usb::Ep6Out, data + sent, piece);
        if (n < 0) {
            link.log(withNumber(LinkText::tr("Ошибка записи в устройства=>"), n));
            return false;
        }
        sent += piece;
        progress.count(quint32(sent));
    }
    link.log(LinkText::tr("Процесс загрузки ПО (boot_mode) завершен. Передано ")
             + QString::number(sent) + LinkText::tr(" байт"));
    return true;
}

} // namespace flash
