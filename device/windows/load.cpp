#include "device/windows/load.h"

#include "device/tthread.h"

namespace {
const int DoneCloseMs = 1000;
const int ErrorCloseMs = 5000;
} // namespace

Load::Load(TThread *thread, const QByteArray &firmware, QWidget *parent)
    : ProgressWindow(thread, int(firmware.size()), parent)
{
    take(&TThread::loadStt, &Load::Start);
    take(&TThread::loadChk, &Load::Check);
    take(&TThread::loadStp, &Load::Stop);
    take(&TThread::loadErr, &Load::Error);
    take(&TThread::loadCnt, &Load::Progress);
    follow(thread->reqLoad(firmware.constData(), uint(firmware.size())));
}

void Load::Start(quint16 type)
{
    if (stopped)
        return;
    switch (type) {
    case 768:
        model = tr("K-330RA");
        break;
    case 769:
        model = tr("K-330RB");
        break;
    case 0:
        model = tr("в режиме boot");
        break;
    default:
        model = tr("xxxxxxx");
        break;
    }
    ui.label->setText(tr("Контроллер ") + model + tr(", загрузка ПО."));
}

void Load::Check()
{
    if (!stopped)
        ui.label->setText(tr("Контроллер ") + model + tr(", проверка ПО."));
}

void Load::Stop()
{
    if (!stopped)
        finish(tr("Контроллер ") + model + tr(", ПО загружено."), DoneCloseMs);
}

void Load::Error()
{
    stop(tr("Ошибка. Загрузка ПО прервана."), ErrorCloseMs);
}
