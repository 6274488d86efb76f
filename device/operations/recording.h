#pragma once
// The record an operation leaves (records/operationrecord.h): what a front end knows beyond the
// operation itself, where the record goes, and the backup that a write keeps of what the
// controller held before it.

#include "config/imagefields.h"
#include "config/tk440.h"
#include "records/operationrecord.h"

#include <QCoreApplication>
#include <QList>
#include <QStringList>

#include <functional>

// What a front end adds to an operation's record.
struct RecordContext
{
    QString portPath;
    QString fileName;
    QString fileSha256; // of the file as read; empty: of the image or firmware the operation used
    QString mode; // empty: what the operation knows of it
    // The controller's configuration before a write (the document form), kept as the record's
    // read image; empty when none was read.
    QByteArray backup;
};

// Takes the record of an operation that has just ended, before the end is reported.
using RecordHook = std::function<void(const OperationRecord &record)>;

// How a progress window records its operation: where the record goes (none: it is not
// recorded), where its lines are logged, whether a write keeps a backup first, the file.
struct OperationJournal
{
    RecordHook record;
    std::function<void(const QString &line)> log;
    bool backup = false;
    QString fileName;
    // A restore: the record's mode instead of the write mode, and the processor serial of the
    // only unit that may take the image (the write then waits for the read that identifies it).
    QString mode;
    QString unitSerial;
};

// Texts of the backup, translated in the context "Operation".
class BackupText
{
    Q_DECLARE_TR_FUNCTIONS(Operation)
};

// The fields a write in `mode` changes at a controller that holds `present` (a: the controller,
// b: the image), titles and values in Russian as scripts read them: the model among the
// identity fields, the information area only where the mode writes it.
QList<FieldDifference> writeChanges(const TK440 &present, const TK440 &image, int mode);

// What the log says before such a write: that the backup was kept, then the changed fields as
// "section / field: a | b" in the interface language, at most MaxChangeLines of them and then a
// line with the count of the others.
constexpr int MaxChangeLines = 20;
QStringList backupLines(const QList<FieldDifference> &changes);

// The controller's configuration as a read delivers it (the controller's form) in the document
// form; empty when its checksum fails.
QByteArray backupImage(const QByteArray &wire);
