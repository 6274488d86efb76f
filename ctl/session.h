#pragma once
// The controller of a k330ctl command: the link options (the terminal's, and --sim-state of
// this tool), the simulated controller's state kept between runs, and the connection the
// operations run over. With no window to keep responsive, the process itself waits for the
// controller, calling the same operations as the terminal's windows, so that the bytes on the
// wire and the messages are the same.

#include "ctl/commands.h"
#include "device/connection.h"
#include "sim/linkoptions.h"

class Operation;
struct OperationResult;
class QCommandLineParser;

class Controller
{
public:
    Controller();
    ~Controller();

    // Sets up the link the options ask for; UsageError with the reason printed when they
    // cannot.
    Status setUp(const QCommandLineParser &parser);
    // Opens the controller as the terminal's hot-plug check does (configuration 2, handshake)
    // and runs the operation over it in the operating mode.
    const OperationResult &run(Operation &operation, int mode);

private:
    bool prepareSimulator();
    void saveState();

    LinkChoice choice;
    QString stateFile;
    DeviceConnection connection;
};

// What to do when no controller could be opened, from why the opening failed
// (DeviceConnection::openFailure): attach it, install the udev rule, or free it.
QString noControllerAdvice(int openFailure);

// --simulate, --sim-model, --usb-trace and --sim-state.
void addControllerOptions(QCommandLineParser &parser);
