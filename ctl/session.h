#pragma once
// The controller of a k330ctl command: the link options (the terminal's, and --sim-state of
// this tool), the simulated controller's state kept between runs, and the connection the
// operations run over. With no window to keep responsive, the process itself waits for the
// controller, calling the same operations as the terminal's windows, so that the bytes on the
// wire and the messages are the same.

#include "ctl/commands.h"
#include "ctl/devicechoice.h"
#include "sim/linkoptions.h"

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
    // Opens the controller as the terminal's hot-plug check does (configuration 2, handshake)
    // and runs the operation over it in the operating mode.
    const OperationResult &run(Operation &operation, int mode);

    // Several controllers chosen: they run at once (ctl/batch.h), each over its own transport.
    bool several() const { return devices.several; }
    const QList<ControllerIdentity> &controllers() const { return devices.controllers; }
    const UsbTransport::Factory &transports() const { return factory; }

private:
    bool prepareSimulator();
    void saveState();

    LinkChoice choice;
    UsbTransport::Factory factory; // the link's transports, the USB bus's by default
    DeviceChoice devices;
    QString stateFile;
};

// --simulate, --sim-model, --usb-trace, --sim-state, --device and --all.
void addControllerOptions(QCommandLineParser &parser);
