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
    // The caller parts from the target: from now on the read converts into its own image only
    // (its record still holds it).
    void forgetTarget() { target = nullptr; }

protected:
    void exchange(DeviceLink &link) override;
    QString failureText() const override;
    bool acceptIdentity(const TDev &dev) override;
    void describe(OperationRecord &record) const override;

private:
    TK440 *target;
    TK440 image {}; // the configuration read, once its checksum matched
};
