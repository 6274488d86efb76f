#pragma once
// Read window: starts a configuration read and shows its progress; the read operation checks
// and converts the record it receives into the main window's target image.

#include "device/operations/readoperation.h"
#include "device/windows/progresswindow.h"

struct TDev;
struct TK440;

class Read : public ProgressWindow
{
    Q_OBJECT

public:
    // Starts the read at once. target (402 bytes, not owned) is written only by a read whose
    // check value matched.
    Read(TThread *thread, TK440 *target, QWidget *parent = nullptr,
         const OperationJournal &journal = {});

public Q_SLOTS:
    void Device(TDev *dev);
    void Config(TK440 *cfg);
    void Error();

private:
    ReadOperation &operation; // kept by the window's run
};
