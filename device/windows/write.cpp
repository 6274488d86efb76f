#include "device/windows/write.h"

#include "config/image.h"
#include "device/tthread.h"

Write::Write(TThread *thread, const TK440 *image, int mode, QWidget *parent)
    : ProgressWindow(thread, writeLength(mode), {1000, 5000, 5000}, parent)
    , operation(*this, *image, mode)
{
    drive(operation);
    take(&TThread::writeStt, &Write::Start);
    take(&TThread::writeChk, &Write::Check);
    take(&TThread::writeStp, &Write::Stop);
    take(&TThread::writeErr, &Write::Error);
    take(&TThread::writeCnt, &Write::Progress);
    if (operation.sendable())
        follow(thread->reqWrite(operation.record(), operation.length()));
}

Write::~Write() = default;

void Write::Start()
{
    operation.started();
}

void Write::Check()
{
    operation.verifying();
}

void Write::Stop()
{
    operation.completed();
}

void Write::Error()
{
    operation.failed();
}
