#pragma once
// What k330ctl prints while several controllers run at once, each line named by the
// controller's port path and processor serial. On a terminal standard error shows one
// progress line per controller, redrawn as a block at most ten times a second, with the
// messages above it; otherwise plain lines, a controller's progress at most once per tenth.
// With --json standard output also gets one JSON object per line and event (start, stage,
// progress at most once per tenth, end with the result) and a summary at the end.
//
// Every call but waitForEnd() and summary() may come from any controller's thread.

#include "ctl/commands.h"
#include "device/controllers.h"
#include "device/operations/operation.h"

#include <QJsonObject>
#include <QList>
#include <QMutex>
#include <QStringList>

#include <condition_variable>

class BatchOutput
{
public:
    BatchOutput(const QList<ControllerIdentity> &controllers, bool json);

    void start(int i);
    void line(int i, const QString &text);
    void stage(int i, const QString &text, int total);
    void progress(int i, quint32 count);
    // The controller's run has ended with this status; fields are added to its end event.
    void end(int i, Status status, const OperationResult &result, const QJsonObject &fields);

    // Returns once every controller has ended; on a terminal it draws the block meanwhile.
    void waitForEnd();
    void summary(Status status, int succeeded);

private:
    struct Row
    {
        QString prefix; // "1-2 0x0123456789ABCDEF"
        QJsonObject names; // path and serial, as every JSON event names the controller
        QString text; // the stage or the last line
        int total = 0; // of the stage's progress; 0 without
        qint64 count = -1;
        int tenth = -1; // the last tenth of the progress printed
        bool ended = false;
    };

    // All with the mutex held.
    void event(int i, const QString &name, QJsonObject values);
    void plain(int i, const QString &text);
    QString rowText(const Row &row) const;
    void draw();

    const bool tty;
    const bool json;
    int width = 80; // of the terminal: a longer row would wrap and break the block
    QMutex mutex; // guards every member below and the writing to stdout and stderr
    std::condition_variable_any changed; // a controller has ended
    QList<Row> rows;
    QStringList above; // lines to print above the block at its next drawing
    int drawn = 0; // rows of the block on the screen
    bool dirty = false; // the block differs from what the screen shows
    int running = 0;
};

// The sink of one controller's operation in a batch.
class BatchSink : public OperationSink
{
public:
    BatchSink(BatchOutput &output, int index)
        : output(output)
        , index(index)
    { }
    void stage(const QString &text, int total) override { output.stage(index, text, total); }
    void progress(quint32 count) override { output.progress(index, count); }
    void finished(const OperationResult &result) override;

private:
    BatchOutput &output;
    int index;
};
