#include "device/windows/write.h"

#include "config/image.h"
#include "device/tthread.h"

#include <cstring>

Write::Write(TThread *thread, const TK440 *image, int mode, QWidget *parent,
             const OperationJournal &journal)
    : ProgressWindow(thread, writeLength(mode), {1000, 5000, 5000}, parent)
    , mode(mode)
    , log(journal.log)
    , operation(*this, *image, mode)
{
    drive(operation);
    take(&TThread::writeStt, &Write::Start);
    take(&TThread::writeChk, &Write::Check);
    take(&TThread::writeStp, &Write::Stop);
    take(&TThread::writeErr, &Write::Error);
    take(&TThread::writeCnt, &Write::Progress);
    take(&TThread::writeDev, &Write::Device);
    take(&TThread::writeDif, &Write::Checked);
    record(operation, journal,
           {.mode = journal.mode.isEmpty() ? QString::number(mode) : journal.mode});
    operation.onlyUnit(journal.unitSerial);
    if (!operation.sendable())
        return;
    const bool restore = !journal.unitSerial.isEmpty();
    if (restore || (journal.backup && journal.record)) {
        take(&TThread::readImg, &Write::Backup);
        follow(thread->reqRead());
    }
    if (restore) {
        // The read identifies the unit; the write goes out only to the right one.
        take(&TThread::readDev, &Write::Unit);
        take(&TThread::readErr, &Write::Error);
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
    showCompleted(operation);
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
    keepBackup(record);
    // A restore sends its image once the read has shown the right unit.
    if (!operation.onlyUnit().isEmpty() && operation.result().identified && !operation.isFinished())
        follow(worker()->reqWrite(operation.record(), operation.length()));
}

void Write::keepBackup(const QByteArray &record)
{
    const QByteArray kept = backupImage(record);
    if (kept.isEmpty() || operation.isFinished())
        return;
    operation.recordContext().backup = kept;
    TK440 present;
    std::memcpy(present.b, kept.constData(), TK440::Size);
    if (log) {
        for (const QString &line : backupLines(writeChanges(present, operation.source(), mode)))
            log(line);
    }
}
