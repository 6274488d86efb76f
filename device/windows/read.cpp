#include "device/windows/read.h"

#include "config/tk440.h"
#include "device/tthread.h"

#include <memory>

Read::Read(TThread *thread, TK440 *target, QWidget *parent, const OperationJournal &journal)
    : ProgressWindow(thread, TK440::Size, {500, 5000, 10000}, parent)
    , operation(*this, *target)
{
    drive(operation);
    take(&TThread::readDev, &Read::Device);
    // Config takes every record it is handed, so that a record it does not want is freed.
    connect(thread, &TThread::readCfg, this, &Read::Config);
    take(&TThread::readErr, &Read::Error);
    take(&TThread::readCnt, &Read::Progress);
    record(operation, journal, {});
    follow(thread->reqRead());
}

void Read::Device(TDev *dev)
{
    operation.identified(*dev);
}

void Read::Config(TK440 *cfg)
{
    std::unique_ptr<TK440> owned(cfg); // the record passes to this window
    if (takesResults())
        operation.received(*cfg);
}

void Read::Error()
{
    operation.failed();
}
