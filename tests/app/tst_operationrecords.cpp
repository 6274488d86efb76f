// The operation records from the terminal's side: task windows cancelled while their jobs run
// still record each operation once with what the job did, the Options menu's settings of the
// records, and the server dialog.

#include "k440fixture.h"
#include "progresswidgets.h"
#include "queuedspy.h"
#include "simrig.h"

#include "app/startup.h"
#include "config/crc16.h"
#include "config/image.h"
#include "device/tthread.h"
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
#include <QTest>

using Fault = SimController::Fault;

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

private Q_SLOTS:
    void initTestCase();
    void init();
    void cancelledMidJob_data();
    void cancelledMidJob();
    void serverDialog_data();
    void serverDialog();
    void backupSetting_data();
    void backupSetting();

private:
    QTemporaryDir data;
};

void TstOperationRecords::initTestCase()
{
    // Settings and records of this test's own.
    initApplication();
    QVERIFY(data.isValid());
    qputenv("XDG_DATA_HOME", data.filePath("data").toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", data.filePath("config").toLocal8Bit());
}

void TstOperationRecords::init()
{
    QSettings().clear();
    QFile::remove(RecordsSettings::defaultLocalPath());
    qunsetenv("K330_RECORDS");
}

void TstOperationRecords::cancelledMidJob_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("failAt"); // transfer that fails after the cancel; 0: none
    QTest::addColumn<RecordedOutcome>("outcome");
    QTest::addColumn<QString>("leaving"); // the log's line at the cancel
    QTest::addColumn<QString>("end"); // the start of the worker's last line

    QTest::newRow("read") << "read" << 0 << RecordedOutcome::Done
                          << "Окно чтения закрыто, чтение конфигурации продолжается"
                          << "Процесс чтения конфигурации завершен";
    QTest::newRow("write") << "write" << 0 << RecordedOutcome::Verified
                           << "Окно записи закрыто, запись конфигурации продолжается"
                           << "Проверка загруженной конфигурации выполнена";
    QTest::newRow("load") << "load" << 0 << RecordedOutcome::Verified
                          << "Окно загрузки ПО закрыто, загрузка ПО продолжается"
                          << "Проверка загруженного ПО выполнена";
    QTest::newRow("load failing") << "load" << 5 << RecordedOutcome::Failed
                                  << "Окно загрузки ПО закрыто, загрузка ПО продолжается"
                                  << "Ошибка";
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
    const TK440 held = imageOf(0x33);
    rig.sim->setMemory(0, wireImage(held));
    rig.sim->failTransfer(3, Fault::delay(300));
    if (failAt)
        rig.sim->failTransfer(failAt, Fault::error(-32));
    QList<OperationRecord> records;
    OperationJournal journal {[&records](const OperationRecord &r) {
        records << r;
    }};
    QueuedSpy started(&rig.thread, &TThread::jobStarted);
    QueuedSpy finished(&rig.thread, &TThread::jobFinished);
    QueuedSpy mes(&rig.thread, &TThread::mes);
    TK440 target {};
    const TK440 written = imageOf(0x44);
    const QByteArray firmware(3000, 'F');
    ProgressWindow *w = nullptr;
    if (kind == QLatin1String("read"))
        w = new Read(&rig.thread, &target, nullptr, journal);
    else if (kind == QLatin1String("write"))
        w = new Write(&rig.thread, &written, 1, nullptr, journal);
    else
        w = new Load(&rig.thread, firmware, nullptr, journal);
    QSignalSpy logged(w, &SubWindow::logLine);
    QTRY_COMPARE(started.size(), 1);
    progress::button(w)->click();
    delete w; // as the main window does on reqClose
    QCOMPARE(logged.size(), 1);
    QCOMPARE(logged.first().first().toString(), leaving);
    QVERIFY(records.isEmpty());

    QTRY_COMPARE(finished.size(), 1);
    QTRY_COMPARE(records.size(), 1);
    QVERIFY2(mes.strings().last().startsWith(end), qPrintable(mes.strings().join('\n')));
    QTest::qWait(50);
    QCOMPARE(records.size(), 1);
    const OperationRecord &r = records.first();
    QCOMPARE(r.outcome, outcome);
    QCOMPARE(r.serial.isEmpty(), false);
    QCOMPARE(QByteArray(target.data(), TK440::Size), QByteArray(TK440::Size, '\0'));
    if (kind == QLatin1String("read"))
        QCOMPARE(r.readImage.mid(2, TK440::IdentOffset - 2),
                 QByteArray(held.data() + 2, TK440::IdentOffset - 2));
    if (kind == QLatin1String("write"))
        QCOMPARE(rig.sim->memory(0, 182), wireImage(written).left(182));
}

void TstOperationRecords::serverDialog_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("override"); // K330_RECORDS
    QTest::addColumn<QString>("problem"); // part of the message the dialog shows; empty: none
    QTest::addColumn<QString>("stored"); // the setting afterwards
    QTest::addColumn<QString>("logged"); // the log's line; empty: none

    const QString old = QStringLiteral("postgresql://old@server/records");
    QTest::newRow("password refused")
        << "postgresql://op:s3cret@db:5432/k330" << QString() << "~/.pgpass" << old << QString();
    QTest::newRow("not a server") << "mysql://db/k330" << QString() << "postgresql://" << old
                                  << QString();
    QTest::newRow("server") << "postgresql://op@db:5432/k330" << QString() << QString()
                            << "postgresql://op@db:5432/k330"
                            << "Журнал операций ведётся на сервере postgresql://op@db:5432/k330";
    QTest::newRow("station only") << "" << QString() << QString() << QString()
                                  << "Журнал операций ведётся на станции: ";
    QTest::newRow("overridden") << "postgresql://op@db/k330"
                                << "postgresql://line:pw@line-db/k330" << QString()
                                << "postgresql://op@db/k330"
                                << "Журнал операций ведётся на станции: ";
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
        QCOMPARE(edit->text(), QStringLiteral("postgresql://old@server/records"));
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
    QCOMPARE(added.size(), logged.isEmpty() ? 0 : 1);
    if (!logged.isEmpty())
        QVERIFY2(added.first().contains(logged), qPrintable(added.first()));
    // The status line names the server in use without its password.
    QCOMPARE(status.isEmpty(), override.isEmpty());
    QVERIFY(!status.contains("pw@"));
}

void TstOperationRecords::backupSetting_data()
{
    QTest::addColumn<bool>("on");
    QTest::newRow("on") << true;
    QTest::newRow("off") << false;
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
    const int before = int(sim->transfers().size());
    w.write();
    QTRY_VERIFY_WITH_TIMEOUT(!w.findSubWindow(WindowId::Write), 10000);
    int in = 0; // bytes the controller sent
    for (const auto &t : sim->transfers().mid(before))
        in += t.isIn() && t.result > 0 ? t.result : 0;
    QCOMPARE(in > TK440::Size + 182, on); // the backup read and the read-back, or the latter
    RecordStore store(RecordsSettings::defaults(QString()));
    std::optional<QList<StoredRecord>> history;
    QTRY_VERIFY((history = store.history({})) && !history->isEmpty());
    QCOMPARE(history->first().readImageSha256.isEmpty(), !on);
}

QTEST_MAIN(TstOperationRecords)
#include "tst_operationrecords.moc"
