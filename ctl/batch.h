#pragma once
// k330ctl on several controllers at once: each chosen controller gets a thread, a transport
// and a connection of its own and runs an operation of its own, so that they share nothing
// but the output (ctl/batchoutput.h). The exit status is the worst of theirs: the highest.

#include "ctl/commands.h"
#include "device/controllers.h"
#include "device/operations/recording.h"

#include <QByteArray>
#include <QList>
#include <QString>

struct TK440;
class RecordStore;

// Where the controllers' records go: each controller's record is kept as its operation ends
// and stored, in the order the controllers ended, once all have ended (the store belongs to
// the calling thread).
struct BatchRecords
{
    RecordStore *store = nullptr; // none: nothing is recorded
    RecordContext context; // the file and the mode; the port path is each controller's
    bool backup = false; // a write reads each controller first and keeps what it held
};

// The controllers' configurations into the folder (made if missing), one file each, named by
// processor serial, and where two controllers share one by serial and port path.
int readSeveral(const UsbTransport::Factory &transports,
                const QList<ControllerIdentity> &controllers, const QString &folder, bool json,
                const BatchRecords &records);
// The file in the mode to each controller, with read-back verification.
int writeSeveral(const UsbTransport::Factory &transports,
                 const QList<ControllerIdentity> &controllers, const QString &file,
                 const TK440 &image, int mode, bool json, const BatchRecords &records);
// Each controller compared with the file; the differing fields, named by the controller, on
// standard output once all have ended.
int verifySeveral(const UsbTransport::Factory &transports,
                  const QList<ControllerIdentity> &controllers, const QString &file,
                  const TK440 &image, int mode, bool json, const BatchRecords &records);
// The firmware into each controller's flash.
int loadSeveral(const UsbTransport::Factory &transports,
                const QList<ControllerIdentity> &controllers, const QByteArray &firmware, bool json,
                const BatchRecords &records);
