#include "device/windows/write.h"

#include "config/crc16.h"
#include "config/image.h"
#include "device/tthread.h"

#include <cstring>

namespace {
const int DoneCloseMs = 1000;
const int ErrorCloseMs = 5000;
} // namespace

Write::Write(TThread *thread, const TK440 *image, int mode, QWidget *parent)
    : ProgressWindow(thread, writeLength(mode), parent)
    , record(std::make_unique<TK440>())
{
    std::memcpy(record->b, image->b, TK440::Size);
    toDeviceForm(Crc16(), *record);
    const int count = writeLength(mode);

    take(&TThread::writeStt, &Write::Start);
    take(&TThread::writeChk, &Write::Check);
    take(&TThread::writeStp, &Write::Stop);
    take(&TThread::writeErr, &Write::Error);
    take(&TThread::writeCnt, &Write::Progress);

    model = configModelText(record->model());
    if (model.isEmpty())
        return; // an image of an unknown model is never sent
    follow(thread->reqWrite(record->data(), count));
}

Write::~Write() = default; // the record's type is complete only here

void Write::Start()
{
    if (!stopped)
        ui.label->setText(tr("Контроллер ") + model + tr(", загрузка конфигурации."));
}

void Write::Check()
{
    if (!stopped)
        ui.label->setText(tr("Контроллер ") + model + tr(", проверка конфигурации."));
}

void Write::Stop()
{
    if (!stopped)
        ui.label->setText(tr("Контроллер ") + model + tr(", конфигурации записана."));
    finish(DoneCloseMs); // the button and the timer even after an error
}

void Write::Error()
{
    stop(tr("Ошибка. Запись конфигурации прервана."), ErrorCloseMs);
}
