#pragma once
// Writing the configuration: an image of a known model only, sent in the controller's form,
// read back and the differing bytes counted.

#include "config/tk440.h"
#include "device/operations/operation.h"

class WriteOperation : public ReadBackOperation
{
public:
    // mode decides how much of the image is written (writeLength in config/image.h).
    WriteOperation(OperationSink &sink, const TK440 &image, int mode);

    // Only an image of a known model is ever sent.
    bool sendable() const;
    // Ends the operation (UnknownModel) when the image may not be sent; true when it may.
    bool prepare();
    // What is sent: the image in the controller's form, and the bytes written in this mode.
    const char *record() const { return wire.data(); }
    int length() const { return result().bytes; }
    // The image as the caller gave it.
    const TK440 &source() const { return image; }

    // The controller accepted the image and the blocks go out.
    void started();
    // Only the unit with this processor serial (as the Info page shows it) takes the image:
    // the identification of another one ends the operation.
    void onlyUnit(const QString &serial) { unit = serial; }
    const QString &onlyUnit() const { return unit; }

protected:
    void exchange(DeviceLink &link) override;
    bool acceptIdentity(const TDev &dev) override;
    OperationOutcome failureOutcome() const override;
    QString failureText() const override;
    void describe(OperationRecord &record) const override;

private:
    TK440 image; // as the caller gave it, for the record
    TK440 wire;
    QString model;
    QString unit;
};
