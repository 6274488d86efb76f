#include "device/windows/read.h"

#include "config/tk440.h"
#include "device/tthread.h"

#include <cstring>
#include <memory>

Read::Read(TThread *thread, TK440 *target, QWidget *parent, const OperationJournal &journal)
    : ProgressWindow(thread, TK440::Size, {500, 5000, 10000}, parent)
    , operation(drive<ReadOperation>(*target))
{
    ReadOperation *op = &operation;
    take(&TThread::readDev, [op](TDev *dev) { op->identified(*dev); });
    // The record as a copy (readImg): its owned form (readCfg) has at most one receiver, and the
    // operation may outlive this window, while another one takes the signal.
    take(&TThread::readImg, [op](const QByteArray &record) {
        TK440 cfg;
        std::memcpy(cfg.b, record.constData(), qMin<qsizetype>(record.size(), TK440::Size));
        op->received(cfg);
    });
    take(&TThread::readErr, [op] { op->failed(); });
    take(&TThread::readCnt, [op](quint32 n) { op->count(n); });
    record(operation, journal, {});
    // The main window parts from the target with the window.
    whenLeaving(tr("Окно чтения закрыто, чтение конфигурации продолжается"),
                [op] { op->forgetTarget(); });
    follow(thread->reqRead());
}

void Read::Device(TDev *dev)
{
    operation.identified(*dev);
}

void Read::Config(TK440 *cfg)
{
    std::unique_ptr<TK440> owned(cfg); // the record passes to this window
    operation.received(*cfg);
}

void Read::Error()
{
    operation.failed();
}
