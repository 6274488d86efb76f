// The main window's part in the operation records: the recorder in its own thread and what the
// task windows record with. Two settings, which no menu shows: "recordsServer" ("Журнал на
// сервере", the server's URL) and "backupBeforeWrite" ("Сохранять конфигурацию перед
// записью", on unless set to false).

#include "app/k440.h"
#include "records/recorder.h"

#include <QSettings>

namespace {
const char *const RecordsServerKey = "recordsServer";
const char *const BackupKey = "backupBeforeWrite";
} // namespace

void K440::setRecordsServer(const QString &url)
{
    recordsUrl = url;
}

Recorder *K440::records()
{
    if (!recorder) {
        const QString setting = QSettings().value(QLatin1String(RecordsServerKey)).toString();
        const QString url = RecordsSettings::chooseServerUrl(recordsUrl, setting);
        recorder = new Recorder(RecordsSettings::defaults(url), this);
        connect(recorder, &Recorder::notice, this, &K440::log);
    }
    return recorder;
}

OperationJournal K440::journal()
{
    OperationJournal j;
    // The windows go before the main window: they never call it after it has gone.
    j.record = [this](const OperationRecord &r) {
        records()->submit(r);
    };
    j.log = [this](const QString &line) {
        log(line);
    };
    j.backup = QSettings().value(QLatin1String(BackupKey), true).toBool();
    if (QFile *f = doc.file())
        j.fileName = f->fileName();
    return j;
}
