#include "device/write.h"

#include "config/crc16.h"
#include "config/image.h"
#include "device/tthread.h"

#include <QTimer>

#include <cstring>

namespace {
const int DoneCloseMs = 1000;
const int ErrorCloseMs = 5000;
const int WordArray = TK440::ConfigAreaSize - TK440::CheckedOffset; // bytes 2..181
} // namespace

int Write::countForMode(int mode)
{
    return (mode == 3 || mode == 10) ? TK440::IdentOffset : TK440::ConfigAreaSize;
}

Write::Write(TThread *thread, const TK440 *image, int mode, QWidget *parent)
    : QWidget(parent)
    , thread(thread)
    , record(std::make_unique<TK440>())
    , timer(new QTimer(this))
{
    std::memcpy(record->b, image->b, TK440::Size);
    swapBytes(record->b + TK440::CheckedOffset, record->b + TK440::CheckedOffset, WordArray);
    const Crc16 crc;
    record->setWord(TK440::CrcOffset, crc.compute(record->b + TK440::CheckedOffset, WordArray));
    const int count = countForMode(mode);

    ui.setupUi(this);
    connect(ui.bClose, &QPushButton::clicked, this, &Write::Quit);
    connect(timer, &QTimer::timeout, this, &Write::Quit);
    connect(thread, &TThread::writeStt, this, &Write::Start);
    connect(thread, &TThread::writeChk, this, &Write::Check);
    connect(thread, &TThread::writeStp, this, &Write::Stop);
    connect(thread, &TThread::writeErr, this, &Write::Error);
    connect(thread, &TThread::writeCnt, this, &Write::Progress);
    ui.progressBar->setRange(0, count);
    ui.progressBar->setValue(0);
    ui.bClose->setText(tr("Отменить"));
    ui.label->setText(tr("Запрос идентификатора устройства"));

    switch (record->model()) {
    case TK440::ModelRA:
        model = tr("К-330RA");
        break;
    case TK440::ModelRB:
        model = tr("К-330RB");
        break;
    default:
        return; // an image of an unknown model is never sent
    }
    thread->reqWrite(record->data(), count);
}

Write::~Write()
{
    timer->stop();
    disconnect(timer, nullptr, this, nullptr);
    delete timer;
    disconnect(thread, nullptr, this, nullptr);
}

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
    ui.bClose->setText(tr("Закрыть"));
    timer->start(DoneCloseMs);
}

void Write::Error()
{
    ui.label->setText(tr("Ошибка. Запись конфигурации прервана."));
    ui.bClose->setText(tr("Закрыть"));
    stopped = true;
    timer->start(ErrorCloseMs);
}

void Write::Progress(quint32 num)
{
    if (!stopped)
        ui.progressBar->setValue(int(num));
}

void Write::Quit()
{
    timer->stop();
    if (ui.bClose->text() == tr("Отменить"))
        Q_EMIT reqClose(windowTitle(), false);
    else
        Q_EMIT reqClose(windowTitle(), !stopped);
}
