#pragma once
// Command-line options of the USB link: the simulated controller and the USB trace. They wire
// the simulator to the worker's transport interface, so they live above both.

#include "device/usbtransport.h"

#include <QList>
#include <QString>

#include <memory>

class QCommandLineParser;
class SimController;

// The link the options ask for.
struct LinkChoice
{
    // Makes the worker's transport; empty when the options ask for the USB bus as it is.
    UsbTransport::Factory transport;
    // The simulated controller the transport talks to (the first of several), or none.
    std::shared_ptr<SimController> simulator;
    // Every simulated controller, in the order of their sockets "1-1", "1-2", ...; each
    // starts with the defaults of its model and has a processor serial of its own.
    QList<std::shared_ptr<SimController>> simulators;
    // Why the values cannot be used; empty on success.
    QString error;
};

// Adds --simulate, --sim-model RA|RB, --sim-count N and --usb-trace FILE to the parser.
void addLinkOptions(QCommandLineParser &parser);

// After parsing: the link the options ask for. An unknown simulated model, a count of
// simulated controllers out of range or a trace file that cannot be opened for appending is an
// error.
LinkChoice linkChoice(const QCommandLineParser &parser);
