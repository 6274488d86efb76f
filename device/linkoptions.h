#pragma once
// Command-line options of the USB link: the simulated controller and the USB trace.

#include <QString>

#include <memory>

class QCommandLineParser;
class SimController;

// Adds --simulate, --sim-model RA|RB and --usb-trace FILE to the parser.
void addLinkOptions(QCommandLineParser &parser);

// After parsing: installs the transport that the worker thread will use (the simulated
// controller and/or the trace around it). Call before the main window exists. Returns an
// error text for unusable values, empty on success.
QString applyLinkOptions(const QCommandLineParser &parser);

// The same without a parser: simulate with model "RA" or "RB"; trace into traceFile when not
// empty. Returns an error text, empty on success.
QString installLinkTransport(bool simulate, const QString &simModel, const QString &traceFile);

// The simulated controller that the installed transport talks to, or none.
std::shared_ptr<SimController> installedSimulator();
