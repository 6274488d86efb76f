#pragma once
// The controllers on the bus, each named by its port path and identified over a connection of
// its own, so that a station with several of them can tell them apart. The port path tells
// the socket (two controllers with the same processor serial differ by it); the processor
// serial tells the unit (one plugged into another socket keeps it).

#include "config/records.h"
#include "device/usbtransport.h"

#include <QList>
#include <QString>

#include <optional>

struct ControllerIdentity
{
    QString path; // port path, "1-2.3"
    TDev id {}; // the identification record; valid when identified()
    // Why the controller could not be opened or identified (the program-log line that says
    // so); empty when it was identified.
    QString reason;

    bool identified() const { return reason.isEmpty(); }
    // The texts of the Info page: "K-330RA", "0x12345678...", "0x42", "2.1".
    QString modelText() const;
    QString serialText() const;
    QString cpuIdText() const;
    QString versionText() const;
};

// Identifies the controller the transport addresses (its port path), over a connection of its
// own: opens it in the normal configuration, runs the handshake and the identification, and
// closes it again. Empty when no controller is listed there any more.
std::optional<ControllerIdentity> identifyController(std::unique_ptr<UsbTransport> transport);

// Every controller (0451:9001) on the bus, in the order the transport lists them, each
// identified over its own transport from the factory. One that cannot be opened or identified
// is there with the reason; one that left the bus meanwhile is left out.
QList<ControllerIdentity> identifyControllers(const UsbTransport::Factory &makeTransport);
