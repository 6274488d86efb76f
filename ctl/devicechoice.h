#pragma once
// Which of the attached controllers a controller command takes: --device PATH|SERIAL
// (repeatable) and --all, resolved once at the start of the run, so that a controller that
// arrives later is not touched. Without either, a lone controller is taken as it always was;
// with several attached the command refuses rather than guess.

#include "ctl/commands.h"
#include "device/controllers.h"

#include <QList>
#include <QString>

class QCommandLineParser;

struct DeviceChoice
{
    Status status = Success; // otherwise the refusal, its reason printed
    // One controller: the port path to open; empty for the first listed (no choice made).
    QString path;
    // --all or several --device: every chosen controller in the order of the bus; they run
    // at once.
    bool several = false;
    QList<ControllerIdentity> controllers;
};

void addDeviceOptions(QCommandLineParser &parser);
// After parsing: the controllers the options choose among those the transport lists now.
DeviceChoice chooseDevices(const QCommandLineParser &parser,
                           const UsbTransport::Factory &makeTransport);
