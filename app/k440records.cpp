// The main window's part in the operation records: the recorder in its own thread, what the
// task windows record with, and the journal window with the opening and restoring of a record's
// image, and the two settings of the Options menu: "recordsServer" ("Журнал на сервере", the
// server's URL) and "backupBeforeWrite" ("Сохранять конфигурацию перед записью", on unless set
// to false).

#include "app/journalwindow.h"
#include "app/k440.h"
#include "app/prompter.h"
#include "app/recordssettingsdialog.h"
#include "config/modes.h"
#include "config/widgets/windowregistry.h"
#include "records/recorder.h"

#include <QAction>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QSettings>

#include <cstring>

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
        recorder = new Recorder(recordsConfig(), this);
        connect(recorder, &Recorder::notice, this, &K440::log);
    }
    return recorder;
}

OperationJournal K440::journal()
{
    OperationJournal j;
    // The windows go before the main window, and the operations that outlive a closed window
    // live in the worker thread's object, a child of the main window: none calls it after it
    // has gone.
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

void K440::addRecordsSettings(QMenu *menu)
{
    makeAction(backupAct, "backupAct", tr("Сохранять &конфигурацию перед записью"),
               tr("Читать конфигурацию контроллера в журнал операций перед каждой записью"));
    backupAct->setCheckable(true);
    backupAct->setChecked(QSettings().value(QLatin1String(BackupKey), true).toBool());
    connect(backupAct, &QAction::toggled, this,
            [](bool on) { QSettings().setValue(QLatin1String(BackupKey), on); });
    makeAction(recordsServerAct, "recordsServerAct", tr("&Журнал на сервере…"),
               tr("Сервер, на котором ведётся журнал операций"));
    connect(recordsServerAct, &QAction::triggered, this, &K440::recordsServerSettings);
    menu->addSeparator();
    menu->addAction(backupAct);
    menu->addAction(recordsServerAct);
}

void K440::recordsServerSettings()
{
    QSettings settings;
    const QString before = settings.value(QLatin1String(RecordsServerKey)).toString();
    RecordsSettingsDialog dialog(this, before,
                                 RecordsSettings::chooseServerUrl(recordsUrl, QString()));
    if (prompter->execDialog(&dialog) != QDialog::Accepted || dialog.url() == before)
        return;
    if (dialog.url().isEmpty())
        settings.remove(QLatin1String(RecordsServerKey));
    else
        settings.setValue(QLatin1String(RecordsServerKey), dialog.url());
    // The recorder and the journal's queries close their stores in their own threads; records
    // waiting for a server stay in the station's outbox.
    const RecordsConfig config = recordsConfig();
    if (recorder)
        recorder->reconfigure(config);
    if (recordQuery)
        recordQuery->reconfigure(config);
    QString error;
    const auto address = RecordsSettings::parseServerUrl(config.serverUrl, &error);
    if (address)
        log(tr("Журнал операций ведётся на сервере ") + RecordsSettings::displayUrl(*address));
    else
        log(tr("Журнал операций ведётся на станции: ") + config.localPath);
}

RecordsConfig K440::recordsConfig() const
{
    const QString setting = QSettings().value(QLatin1String(RecordsServerKey)).toString();
    return RecordsSettings::defaults(RecordsSettings::chooseServerUrl(recordsUrl, setting));
}

void K440::operationJournal()
{
    if (journalSub) {
        mdiArea->setActiveSubWindow(journalSub);
        return;
    }
    JournalActions actions;
    actions.open = [this](const QByteArray &image, const QString &source) {
        openRecordImage(image, source);
    };
    actions.restore = [this](const QByteArray &image, const QString &serial,
                             const QString &source) {
        return restoreRecordImage(image, serial, source);
    };
    actions.ask = [this](const QString &text) {
        return prompter->askYesNo(this, tr("Журнал операций"), text);
    };
    actions.log = [this](const QString &line) {
        log(line);
    };
    if (!recordQuery)
        recordQuery = new RecordQuery(recordsConfig(), this);
    auto *w = new JournalWindow(*recordQuery, std::move(actions));
    journalSub = mdiArea->addSubWindow(w);
    connect(journalSub, &QObject::destroyed, this, [this] { journalSub = nullptr; });
    w->show();
}

void K440::openRecordImage(const QByteArray &image, const QString &source)
{
    if (image.size() != TK440::Size || !askToClose())
        return;
    auto loaded = std::make_unique<TK440>();
    std::memcpy(loaded->b, image.constData(), TK440::Size);
    // As a new configuration: no file, so that "Сохранить" asks for a name.
    doc.forgetFile();
    doc.setImage(std::move(loaded));
    Q_EMIT mes(tr("Загружена конфигурация из журнала операций: ") + source);
    buildTree(session.mode());
}

QString K440::restoreRecordImage(const QByteArray &image, const QString &serial,
                                 const QString &source)
{
    const QString absent = tr("Контроллер ") + serial + tr(" не подключен.");
    if (!session.isConnected())
        return absent;
    if (image.size() != TK440::Size || findSubWindow(WindowId::Write))
        return tr("Конфигурация не записана: запись уже выполняется.");
    TK440 restored;
    std::memcpy(restored.b, image.constData(), TK440::Size);
    WindowContext ctx;
    ctx.mainWindow = this;
    ctx.thread = thread;
    ctx.image = &restored; // the write window keeps its own copy
    ctx.mode = int(OperatingMode::ServiceAll); // the whole configuration memory
    ctx.connected = true;
    ctx.journal = journal();
    ctx.journal.fileName = source;
    ctx.journal.mode = QStringLiteral("restore");
    ctx.journal.unitSerial = serial;
    SubWindow *w = windowRegistry().create(WindowId::Write, ctx);
    if (!w)
        return absent;
    showSubWindow(w);
    return QString();
}
