#pragma once
// Firmware-load window: queues job 4 with the file's bytes and shows the writing, the
// read-back (normal mode) or the boot-mode stream.

#include "device/operations/loadoperation.h"
#include "device/windows/progresswindow.h"

class Load : public ProgressWindow
{
    Q_OBJECT

public:
    // Queues the load at once; the window keeps no copy of the bytes.
    Load(TThread *thread, const QByteArray &firmware, QWidget *parent = nullptr,
         const OperationJournal &journal = {});
    // Names the firmware file and its size on the progress bar for the whole load.
    void showFile(const QString &fileName, qsizetype size);

public Q_SLOTS:
    void Start(quint16 type);
    void Check();
    void Stop();
    void Error();
    void Device(TDev dev);
    void Checked(int differing);

private:
    LoadOperation &operation; // kept by the window's run
};
