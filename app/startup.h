#pragma once
// Process start: application names and the command line.

#include "device/usbtransport.h"
#include "sim/linkoptions.h"

#include <QString>
#include <QStringList>

struct StartOptions
{
    QString logFile; // --log FILE: copy of the program log
    QString recordsUrl; // --records URL: the server of the operation records
    // --simulate, --sim-model, --usb-trace: makes the worker's link; empty for the USB bus.
    UsbTransport::Factory transport;
    // The link as the options chose it: the simulated controllers whose memory --sim-state
    // keeps between runs.
    LinkChoice link;
};

// Sets the organisation, application name and version used by the settings and --version.
void initApplication();

// Installs the interface language (--lang, else the system's) before any window is made; an
// unknown --lang value prints and exits the process.
void setUpStartLanguage(const QStringList &arguments);

// Parses the command line (arguments with the program name first); --help and --version print
// and exit the process, as does an unknown option.
StartOptions parseStartOptions(const QStringList &arguments);
