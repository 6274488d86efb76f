#include "device/windows/read.h"

#include "config/crc16.h"
#include "config/image.h"
#include "device/tthread.h"

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

    const ReadCheck check =
        fromDeviceForm(Crc16(), QByteArrayView(cfg->data(), TK440::Size), *target);
    if (check.ok) {
        QString model = configModelText(target->model());
        if (model.isEmpty())
            model = QStringLiteral("xxxxxxx");
        finish(tr("Контроллер ") + model + tr(", конфигурации прочитана."), DoneCloseMs);
    } else {
        stop(tr("Конфигурация повреждена, CRC: 0x") + QString::number(check.computed, 16)
                 + QStringLiteral("!=0x") + QString::number(check.stored, 16),
             CorruptCloseMs);
    }
}

void Read::Error()
{
    stop(tr("Ошибка. Чтение конфигурации прервано."), ErrorCloseMs);
}
