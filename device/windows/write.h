#pragma once
// Write window: queues the configuration write of the write operation's record and shows the
// write and the read-back.

#include "device/operations/writeoperation.h"
#include "device/windows/progresswindow.h"

struct TK440;

class Write : public ProgressWindow
{
    Q_OBJECT

public:
    // Queues the write at once, unless the image is of an unknown model: then nothing is sent
    // and the window waits to be closed. mode decides how much of the image is written
    // (writeLength in config/image.h).
    // With a journal that records and keeps backups, the controller's configuration is read
    // first (the ordinary read) and kept in the write's record, and the log lists the fields
    // that the write changes. A journal naming a unit's serial (a restore) always reads first
    // and writes only to that unit.
    Write(TThread *thread, const TK440 *image, int mode, QWidget *parent = nullptr,
          const OperationJournal &journal = {});
    ~Write() override;

public Q_SLOTS:
    void Start();
    void Check();
    void Stop();
    void Error();
    void Device(TDev dev);
    void Checked(int differing);
    void Backup(QByteArray record);
    void Unit(TDev *dev);

private:
    int mode;
    std::function<void(const QString &line)> log;
    WriteOperation &operation; // holds the copy that is sent; kept by the window's run
};
