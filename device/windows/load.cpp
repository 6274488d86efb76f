#include "device/windows/load.h"

#include "device/tthread.h"

Load::Load(TThread *thread, const QByteArray &firmware, QWidget *parent,
           const OperationJournal &journal)
    : ProgressWindow(thread, int(firmware.size()), {1000, 5000, 5000}, parent)
    , operation(*this, firmware.size())
{
    drive(operation);
    take(&TThread::loadStt, &Load::Start);
    take(&TThread::loadChk, &Load::Check);
    take(&TThread::loadStp, &Load::Stop);
    take(&TThread::loadErr, &Load::Error);
    take(&TThread::loadCnt, &Load::Progress);
    take(&TThread::loadDev, &Load::Device);
    take(&TThread::loadDif, &Load::Checked);
    record(operation, journal, {.fileSha256 = sha256Hex(firmware)});
    follow(thread->reqLoad(firmware.constData(), uint(firmware.size())));
}

void Load::Start(quint16 type)
{
    operation.started(type);
}

void Load::Check()
{
    operation.verifying();
}

void Load::Stop()
{
    showCompleted(operation);
}

void Load::Error()
{
    operation.failed();
}

void Load::Device(TDev dev)
{
    operation.identified(dev);
}

void Load::Checked(int differing)
{
    operation.checked(differing);
}
