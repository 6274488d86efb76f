#include "device/windows/write.h"

#include "config/image.h"
#include "device/tthread.h"

#include <cstring>

namespace {

// The controller's configuration read before the write: kept in the write's record, its
// differences from the image logged; a restore sends its image once the read has shown the
// right unit.
void takeBackup(OperationRun &run, WriteOperation &op, const QByteArray &record, int mode,
                const std::function<void(const QString &)> &log)
{
    const QByteArray kept = backupImage(record);
    if (!kept.isEmpty() && !op.isFinished()) {
        op.recordContext().backup = kept;
        TK440 present;
        std::memcpy(present.b, kept.constData(), TK440::Size);
        if (log) {
            for (const QString &line : backupLines(writeChanges(present, op.source(), mode)))
                log(line);
        }
    }
    if (!op.onlyUnit().isEmpty() && op.result().identified && !op.isFinished() && !run.isReleased())
        run.follow(run.worker()->reqWrite(op.record(), op.length()));
}

} // namespace

Write::Write(TThread *thread, const TK440 *image, int mode, QWidget *parent,
             const OperationJournal &journal)
    : ProgressWindow(thread, writeLength(mode), {1000, 5000, 5000}, parent)
    , mode(mode)
    , log(journal.log)
    , operation(drive<WriteOperation>(*image, mode))
{
    WriteOperation *op = &operation;
    take(&TThread::writeStt, [op] { op->started(); });
    takeReadBack(operation,
                 {&TThread::writeChk, &TThread::writeStp, &TThread::writeErr, &TThread::writeCnt,
                  &TThread::writeDev, &TThread::writeDif});
    record(operation, journal,
           {.mode = journal.mode.isEmpty() ? QString::number(mode) : journal.mode});
    whenLeaving(tr("Окно записи закрыто, запись конфигурации продолжается"));
    operation.onlyUnit(journal.unitSerial);
    if (!operation.sendable())
        return;
    const bool restore = !journal.unitSerial.isEmpty();
    if (restore || (journal.backup && journal.record)) {
        take(&TThread::readImg, [op, run = &job(), mode, log = log](const QByteArray &record) {
            takeBackup(*run, *op, record, mode, log);
        });
        follow(thread->reqRead());
    }
    if (restore) {
        // The read identifies the unit; the write goes out only to the right one.
        take(&TThread::readDev, [op](TDev *dev) { op->identified(*dev); });
        take(&TThread::readErr, [op] { op->failed(); });
        return;
    }
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

void Write::Device(TDev dev)
{
    operation.identified(dev);
}

void Write::Checked(int differing)
{
    operation.checked(differing);
}

void Write::Unit(TDev *dev)
{
    operation.identified(*dev);
}

void Write::Backup(QByteArray record)
{
    takeBackup(job(), operation, record, mode, log);
}
