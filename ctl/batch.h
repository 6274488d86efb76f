#pragma once
// k330ctl on several controllers at once: each chosen controller gets a thread, a transport
// and a connection of its own and runs an operation of its own, so that they share nothing
// but the output (ctl/batchoutput.h). The exit status is the worst of theirs: the highest.

#include "ctl/commands.h"
#include "device/controllers.h"

#include <QByteArray>
#include <QList>
#include <QString>

struct TK440;

// The controllers' configurations into the folder (made if missing), one file each, named by
// processor serial, and where two controllers share one by serial and port path.
int readSeveral(const UsbTransport::Factory &transports,
                const QList<ControllerIdentity> &controllers, const QString &folder, bool json);
// The file in the mode to each controller, with read-back verification.
int writeSeveral(const UsbTransport::Factory &transports,
                 const QList<ControllerIdentity> &controllers, const QString &file,
                 const TK440 &image, int mode, bool json);
// Each controller compared with the file; the differing fields, named by the controller, on
// standard output once all have ended.
int verifySeveral(const UsbTransport::Factory &transports,
                  const QList<ControllerIdentity> &controllers, const QString &file,
                  const TK440 &image, int mode, bool json);
// The firmware into each controller's flash.
int loadSeveral(const UsbTransport::Factory &transports,
                const QList<ControllerIdentity> &controllers, const QByteArray &firmware,
                bool json);
