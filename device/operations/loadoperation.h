#pragma once
// Loading firmware into the controller's flash: over a ready connection (normal mode) written
// and read back; with no connection open (boot mode) streamed to the controller's loader.

#include "device/operations/operation.h"

#include <QByteArray>

class LoadOperation : public ReadBackOperation
{
public:
    // Fed by the events of a load that another thread runs: only the firmware's size counts.
    LoadOperation(OperationSink &sink, qsizetype size);
    // Run by itself: the firmware (shared, not copied) is what it loads.
    LoadOperation(OperationSink &sink, const QByteArray &firmware);

    // The writing starts at the controller of this model (0 in boot mode).
    void started(quint16 model);

    using Operation::run;
    // A ready connection takes the load in normal mode; without an open connection the
    // controller is opened in boot mode for the stream and closed again afterwards.
    const OperationResult &run(DeviceConnection &connection, DeviceLink &link) override;
    // Boot mode over a link the caller opened in configuration 1 with the stream endpoint
    // prepared.
    const OperationResult &stream(DeviceLink &link);

protected:
    void exchange(DeviceLink &link) override;
    QString failureText() const override;
    void describe(OperationRecord &record) const override;

private:
    QByteArray firmware;
    QString mode; // "normal" or "boot" once the writing has started
};
