#pragma once
// Reading the configuration: identification, model check, checksum check, and the image
// adopted into the caller's target.

#include "config/tk440.h"
#include "device/operations/operation.h"

class ReadOperation : public Operation
{
public:
    // target (not owned) is written only by a read whose checksum matched.
    ReadOperation(OperationSink &sink, TK440 &target);

    // The configuration as the controller sent it (402 bytes: the word area in wire order, the
    // checksum word as the controller keeps it, the identification at the end).
    void received(const TK440 &record);

protected:
    void exchange(DeviceLink &link) override;
    QString failureText() const override;
    bool acceptIdentity(const TDev &dev) override;
    void describe(OperationRecord &record) const override;

private:
    TK440 &target;
};
