// Task windows cancelled mid-job still record each operation once, with what the job did; the
// Options menu's settings of the records, and the server dialog.

#include "k440fixture.h"
#include "progresswidgets.h"
#include "queuedspy.h"
#include "simrig.h"

#include "app/startup.h"
#include "config/crc16.h"
#include "config/image.h"
#include "device/windows/load.h"
#include "device/windows/read.h"
#include "device/windows/write.h"
#include "records/recordstore.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>

namespace {

TK440 imageOf(quint8 fill)
{
    TK440 img;
    std::memset(img.b, fill, TK440::Size);
    img.setWord(TK440::ModelOffset, TK440::ModelRA);
    return img;
}

// The image as the controller holds it.
QByteArray wireImage(const TK440 &host)
{
    TK440 w = host;
    toDeviceForm(Crc16(), w);
    return QByteArray(w.data(), TK440::IdentOffset);
}

} // namespace

Q_DECLARE_METATYPE(RecordedOutcome)

class TstOperationRecords : public QObject
{
    Q_OBJECT
    QTemporaryDir data;

private Q_SLOTS:
    void initTestCase()
    {
        // Settings and records of this test's own.
        initApplication();
        qputenv("XDG_DATA_HOME", data.filePath("data").toLocal8Bit());
        qputenv("XDG_CONFIG_HOME", data.filePath("config").toLocal8Bit());
    }
    void init()
    {
        QSettings().clear();
        QFile::remove(RecordsSettings::defaultLocalPath());
        qunsetenv("K330_RECORDS");
    }
    void cancelledMidJob_data();
    void cancelledMidJob();
    void serverDialog_data();
    void serverDialog();
    void backupSetting_data()
    {
        QTest::addColumn<bool>("on");
        QTest::newRow("on") << true;
        QTest::newRow("off") << false;
    }
    void backupSetting();
};

void TstOperationRecords::cancelledMidJob_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("failAt"); // transfer that fails after the cancel; 0: none
    QTest::addColumn<RecordedOutcome>("outcome");
    QTest::addColumn<QString>("leaving"); // the log's line at the cancel
    QTest::addColumn<QString>("end"); // the start of the worker's last line

    const QString load = "Окно загрузки ПО закрыто, загрузка ПО продолжается";
    QTest::newRow("read") << "read" << 0 << RecordedOutcome::Done
                          << "Окно чтения закрыто, чтение конфигурации продолжается"
                          << "Процесс чтения конфигурации завершен";
    QTest::newRow("write") << "write" << 0 << RecordedOutcome::Verified
                           << "Окно записи закрыто, запись конфигурации продолжается"
                           << "Проверка загруженной конфигурации выполнена";
    QTest::newRow("load") << "load" << 0 << RecordedOutcome::Verified << load
                          << "Проверка загруженного ПО выполнена";
    QTest::newRow("load failing") << "load" << 5 << RecordedOutcome::Failed << load << "Ошибка";
}

// "Отменить" while the job runs, and the window goes as the main window lets it go: the job
// runs to its end, which makes the one record of the operation; the window's target is untouched.
void TstOperationRecords::cancelledMidJob()
{
    QFETCH(QString, kind);
    QFETCH(int, failAt);
    QFETCH(RecordedOutcome, outcome);
    QFETCH(QString, leaving);
    QFETCH(QString, end);
    WorkerRig rig;
    const TK440 held = imageOf(0x33), written = imageOf(0x44);
    rig.sim->setMemory(0, wireImage(held));
    rig.sim->failTransfer(3, SimController::Fault::delay(300));
    if (failAt)
        rig.sim->failTransfer(failAt, SimController::Fault::error(-32));
    QList<OperationRecord> records;
    OperationJournal journal {[&records](const OperationRecord &r) {
        records << r;
    }};
    QueuedSpy started(&rig.thread, &TThread::jobStarted), mes(&rig.thread, &TThread::mes);
    TK440 target {};
    ProgressWindow *w = nullptr;
    if (kind == "read")
        w = new Read(&rig.thread, &target, nullptr, journal);
    else if (kind == "write")
        w = new Write(&rig.thread, &written, 1, nullptr, journal);
    else
        w = new Load(&rig.thread, QByteArray(3000, 'F'), nullptr, journal);
    QSignalSpy logged(w, &SubWindow::logLine);
    QTRY_COMPARE(started.size(), 1);
    progress::button(w)->click();
    delete w; // as the main window does on reqClose
    QCOMPARE(logged.size(), 1);
    QCOMPARE(logged.first().first().toString(), leaving);
    QTRY_COMPARE(records.size(), 1);
    QVERIFY2(mes.strings().last().startsWith(end), qPrintable(mes.strings().join('\n')));
    QTest::qWait(50);
    QCOMPARE(records.size(), 1);
    QCOMPARE(records.first().outcome, outcome);
    QCOMPARE(QByteArray(target.data(), TK440::Size), QByteArray(TK440::Size, '\0'));
    if (kind == "read")
        QCOMPARE(records.first().readImage.mid(2, TK440::IdentOffset - 2),
                 QByteArray(held.data() + 2, TK440::IdentOffset - 2));
    if (kind == "write")
        QCOMPARE(rig.sim->memory(0, 182), wireImage(written).left(182));
}

void TstOperationRecords::serverDialog_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("override"); // K330_RECORDS
    QTest::addColumn<QString>("problem"); // part of the message the dialog shows; empty: none
    QTest::addColumn<QString>("stored"); // the setting afterwards
    QTest::addColumn<QString>("logged"); // the log's line; empty: none

    const QString old = "postgresql://old@server/records";
    const QString station = "Журнал операций ведётся на станции: ";
    QTest::newRow("password refused")
        << "postgresql://op:s3cret@db:5432/k330" << QString() << "~/.pgpass" << old << QString();
    QTest::newRow("server") << "postgresql://op@db:5432/k330" << QString() << QString()
                            << "postgresql://op@db:5432/k330"
                            << "Журнал операций ведётся на сервере postgresql://op@db:5432/k330";
    QTest::newRow("station only") << "" << QString() << QString() << QString() << station;
    QTest::newRow("overridden") << "postgresql://op@db/k330"
                                << "postgresql://line:pw@line-db/k" << QString()
                                << "postgresql://op@db/k330" << station;
}

// "Журнал на сервере…" through the real dialog: a refused URL keeps the dialog open with the
// reason and the setting as it was; an accepted one is stored and the log names the store.
void TstOperationRecords::serverDialog()
{
    QFETCH(QString, typed);
    QFETCH(QString, override);
    QFETCH(QString, problem);
    QFETCH(QString, stored);
    QFETCH(QString, logged);
    QSettings().setValue("recordsServer", "postgresql://old@server/records");
    if (!override.isEmpty())
        qputenv("K330_RECORDS", override.toUtf8());
    TestK440 w;
    QString shown, status;
    w.answers->onDialog = [&](QDialog *d) {
        auto *edit = d->findChild<QLineEdit *>("urlEdit");
        QCOMPARE(edit->placeholderText(), QStringLiteral("postgresql://user@host:port/db"));
        edit->setText(typed);
        d->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok)->click();
        auto *label = d->findChild<QLabel *>("problemLabel");
        shown = label->isVisibleTo(d) ? label->text() : QString();
        if (auto *o = d->findChild<QLabel *>("overrideLabel"))
            status = o->text();
        if (d->isVisible())
            d->reject();
    };
    const int lines = w.logLines().size();
    w.action("recordsServerAct")->trigger();
    QCOMPARE(shown.isEmpty(), problem.isEmpty());
    QVERIFY2(shown.contains(problem) && !shown.contains("s3cret"), qPrintable(shown));
    QCOMPARE(QSettings().value("recordsServer").toString(), stored);
    const QStringList added = w.logLines().mid(lines);
    QVERIFY(logged.isEmpty() ? added.isEmpty() : added.size() == 1 && added[0].contains(logged));
    // The status line names the server in use without its password.
    QCOMPARE(status.isEmpty(), override.isEmpty());
    QVERIFY(!status.contains("pw@"));
}

// "Сохранять конфигурацию перед записью", checked unless the setting says otherwise: switched
// off, a write reads nothing first and its record keeps no backup.
void TstOperationRecords::backupSetting()
{
    QFETCH(bool, on);
    auto sim = makeSimulatedController(QStringLiteral("RA"));
    TestK440 w([sim] { return makeSimulatedTransport(sim); });
    w.workerThread()->setSleepFunction([](int) {});
    QTRY_VERIFY(w.isConnected());
    QAction *backup = w.action("backupAct");
    QVERIFY(backup->isCheckable() && backup->isChecked());
    if (!on)
        backup->trigger();
    QCOMPARE(QSettings().value("backupBeforeWrite", true).toBool(), on);
    w.document().setImage(std::make_unique<TK440>(imageOf(0x55)));
    w.buildTree(w.currentMode());
    w.write();
    QTRY_VERIFY_WITH_TIMEOUT(!w.findSubWindow(WindowId::Write), 10000);
    RecordStore store(RecordsSettings::defaults(QString()));
    std::optional<QList<StoredRecord>> history;
    QTRY_VERIFY((history = store.history({})) && !history->isEmpty());
    QCOMPARE(history->first().readImageSha256.isEmpty(), !on);
}

QTEST_MAIN(TstOperationRecords)
#include "tst_operationrecords.moc"
