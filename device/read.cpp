#include "device/read.h"

#include "config/crc16.h"
#include "config/image.h"
#include "device/tthread.h"

#include <cstring>
#include <memory>

namespace {
const int DoneCloseMs = 500;
const int ErrorCloseMs = 5000;
const int CorruptCloseMs = 10000;
} // namespace

Read::Read(TThread *thread, TK440 *target, QWidget *parent)
    : ProgressWindow(thread, TK440::Size, parent)
    , target(target)
{
    take(&TThread::readDev, &Read::Device);
    // Config takes every record it is handed, so that a record it does not want is freed.
    connect(thread, &TThread::readCfg, this, &Read::Config);
    take(&TThread::readErr, &Read::Error);
    take(&TThread::readCnt, &Read::Progress);
    follow(thread->reqRead());
}

void Read::Device(TDev *dev)
{
    switch (dev->model) {
    case TK440::ModelRA:
        ui.label->setText(tr("Контроллер K-330RA, чтение конфигурации."));
        break;
    case TK440::ModelRB:
        ui.label->setText(tr("Контроллер К-330RB, чтение конфигурации."));
        break;
    default:
        // The job goes on; whatever it delivers afterwards is ignored.
        stop(tr("Ошибка (") + QString::number(dev->model) + tr("), чтение остановлено"),
             ErrorCloseMs);
        break;
    }
}

void Read::Config(TK440 *cfg)
{
    std::unique_ptr<TK440> owned(cfg); // the record passes to this window
    if (stopped || !takesResults())
        return;

    const Crc16 crc;
    // The controller keeps the CRC-16/USB value high byte first; computed over the word area as
    // it came off the wire, it equals the stored little-endian word of an intact image.
    const quint16 computed =
        crc.compute(cfg->b + TK440::CheckedOffset, TK440::ConfigAreaSize - TK440::CheckedOffset);
    swapBytes(cfg->b + TK440::CheckedOffset, cfg->b + TK440::CheckedOffset,
              TK440::ConfigAreaSize - TK440::CheckedOffset);
    const quint16 stored = cfg->word(TK440::CrcOffset);

    if (computed == stored) {
        std::memcpy(target->b, cfg->b, TK440::Size);
        QString model = configModelText(cfg->model());
        if (model.isEmpty())
            model = QStringLiteral("xxxxxxx");
        finish(tr("Контроллер ") + model + tr(", конфигурации прочитана."), DoneCloseMs);
    } else {
        stop(tr("Конфигурация повреждена, CRC: 0x") + QString::number(computed, 16)
                 + QStringLiteral("!=0x") + QString::number(stored, 16),
             CorruptCloseMs);
    }
}

void Read::Error()
{
    stop(tr("Ошибка. Чтение конфигурации прервано."), ErrorCloseMs);
}
