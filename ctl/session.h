#pragma once
// The controller of a k330ctl command: the link options (the terminal's, and --sim-state of
// this tool), the simulated controller's state kept between runs, and the connection the
// operations run over. With no window to keep responsive, the process itself waits for the
// controller, calling the same operations as the terminal's windows, so that the bytes on the
// wire and the messages are the same.

#include "ctl/batch.h"
#include "ctl/commands.h"
#include "ctl/devicechoice.h"
#include "device/connection.h"
#include "device/operations/recording.h"
#include "records/recordstore.h"
#include "sim/linkoptions.h"

#include <memory>

class Operation;
struct OperationResult;
class QCommandLineParser;

class Controller
{
public:
    Controller();
    ~Controller();

    // Sets up the link the options ask for and chooses the controllers (--device, --all);
    // UsageError or NoController with the reason printed when they cannot.
    Status setUp(const QCommandLineParser &parser);
    // The port path --device chose for a single controller; empty when none was chosen.
    QString chosenPath() const { return devices.path; }
    // Opens the controller as the terminal's hot-plug check does (configuration 2, handshake),
    // the first time, and runs the operation over it in the operating mode.
    const OperationResult &run(Operation &operation, int mode);
    // Stores the operation's record, with the controller's port path, when it ends: before its
    // final message is printed.
    void record(Operation &operation, const RecordContext &context);
    // Reads the controller's configuration before a write (the ordinary read) and keeps it as
    // the write's backup; says so and lists the fields the write changes, which `changes`
    // receives. A failed read keeps nothing and lets the write go on. Returns the read's result.
    OperationResult keepBackup(Operation &write, const TK440 &image, int mode,
                               QList<FieldDifference> *changes);
    RecordStore &records() { return *store; }
    // Where the records of a run on several controllers go.
    BatchRecords batchRecords(const RecordContext &context, bool backup = false) const
    {
        return {store.get(), context, backup};
    }

    // Several controllers chosen: they run at once (ctl/batch.h), each over its own transport.
    bool several() const { return devices.several; }
    const QList<ControllerIdentity> &controllers() const { return devices.controllers; }
    const UsbTransport::Factory &transports() const { return factory; }

private:
    LinkChoice choice;
    UsbTransport::Factory factory; // the link's transports, the USB bus's by default
    DeviceChoice devices;
    DeviceConnection connection;
    std::unique_ptr<RecordStore> store;
};

// What to do when no controller could be opened, from why the opening failed
// (DeviceConnection::openFailure): attach it, install the udev rule, or free it.
QString noControllerAdvice(int openFailure);

// The link options (--simulate, --sim-model, --sim-count, --sim-state, --usb-trace), --device,
// --all and --records.
void addControllerOptions(QCommandLineParser &parser);
// --records URL alone (the commands that only query the records).
void addRecordsOption(QCommandLineParser &parser);
// The record store that --records, else K330_RECORDS, names; notices go to standard error.
std::unique_ptr<RecordStore> openRecords(const QCommandLineParser &parser);
