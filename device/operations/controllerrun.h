#pragma once
// One operation on one controller over a connection of its own, as a front end without a
// worker thread runs it: k330ctl for its one controller, and for several at once (a thread
// each). Runs for different controllers share nothing, so any number go side by side.

#include "device/usbtransport.h"

#include <functional>
#include <memory>

class DeviceConnection;
class DeviceLink;
class Operation;
struct OperationResult;

// What runs over the open connection before the operation (a write's backup read).
using BeforeOperation = std::function<void(DeviceConnection &connection, DeviceLink &link)>;

// Opens the controller that the transport addresses as the terminal's hot-plug check does
// (configuration 2, handshake), runs the operation over it in the operating mode, with the
// exchange's pauses slept in the calling thread, and closes it without a word. log (may be empty)
// takes the connection's and the exchange's log lines, in the calling thread; before (may be
// empty) runs first over the same connection.
const OperationResult &runOnController(std::unique_ptr<UsbTransport> transport,
                                       Operation &operation, int mode,
                                       const std::function<void(const QString &line)> &log,
                                       const BeforeOperation &before = {});
