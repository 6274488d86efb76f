#pragma once
// Verifying the controller against an image: the configuration read as the read operation
// reads it, then compared with what a write in the mode would send.

#include "config/imagefields.h"
#include "config/tk440.h"
#include "device/operations/operation.h"
#include "device/operations/readoperation.h"

#include <QList>

class VerifyOperation : public Operation
{
public:
    VerifyOperation(OperationSink &sink, const TK440 &image, int mode);

    // The fields that differ (a: the image, b: the controller), titles and values in Russian as
    // scripts read them; the model among the identity fields, the information area only where
    // the mode writes it.
    const QList<FieldDifference> &differences() const { return diffs; }

protected:
    void exchange(DeviceLink &link) override;
    QString failureText() const override;
    void describe(OperationRecord &record) const override;

private:
    // The read's stages and progress are the verification's; its end decides.
    class ReadSink : public OperationSink
    {
    public:
        explicit ReadSink(VerifyOperation &owner)
            : owner(owner)
        { }
        void stage(const QString &text, int total) override { owner.stage(text, total); }
        void progress(quint32 count) override { owner.count(count); }
        void finished(const OperationResult &result) override { owner.readFinished(result); }

    private:
        VerifyOperation &owner;
    };

    void readFinished(const OperationResult &read);
    void compare();

    TK440 image;
    TK440 device {};
    int mode;
    ReadSink readSink {*this};
    ReadOperation read {readSink, device};
    QList<FieldDifference> diffs;
    bool deviceRead = false; // `device` holds the controller's configuration
};
