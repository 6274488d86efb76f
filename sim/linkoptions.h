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
    // --sim-state: where the simulated controllers' configuration memory is kept between runs
    // (see simStateFile); empty when it is not kept.
    QString stateFile;
    // Why the values cannot be used; empty on success.
    QString error;
};

// Adds --simulate, --sim-model RA|RB, --sim-count N, --sim-state FILE and --usb-trace FILE to
// the parser.
void addLinkOptions(QCommandLineParser &parser);

// After parsing: the link the options ask for. An unknown simulated model, a count of
// simulated controllers out of range or a trace file that cannot be opened for appending is an
// error.
LinkChoice linkChoice(const QCommandLineParser &parser);

// The state file of the simulated controller at `index` (from 0): the first keeps its memory in
// the file named by --sim-state, the N-th (N >= 2) in that name with ".N" appended.
QString simStateFile(const QString &file, int index);
// Gives each simulated controller the memory kept in its state file by an earlier run; one
// without its file keeps the defaults of its model. False when a file is there but cannot be
// read or has the wrong size.
bool loadSimState(const LinkChoice &choice);
// Keeps each simulated controller's memory in its state file, each saved atomically. False when
// one could not be saved.
bool saveSimState(const LinkChoice &choice);
