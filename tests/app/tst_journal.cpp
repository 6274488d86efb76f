// The operation journal: its table's filters and order, and a configuration written back from a
// record through the main window to the simulated controller.

#include "k440fixture.h"
#include "progresswidgets.h"

#include "app/journalwindow.h"
#include "config/crc16.h"
#include "config/image.h"
#include "device/controllers.h"
#include "device/tthread.h"
#include "records/recordtable.h"
#include "sim/simcontroller.h"
#include "sim/simtransport.h"

#include <QHeaderView>
#include <QTableView>
#include <QTemporaryDir>

namespace {

StoredRecord stored(const char *serial, RecordedOperation op, const char *started, int differing)
{
    StoredRecord s;
    s.record.serial = QLatin1String(serial);
    s.record.operation = op;
    s.record.started = QDateTime::fromString(QLatin1String(started), Qt::ISODate);
    s.record.differingBytes = differing;
    return s;
}

// The controller's configuration memory after the terminal writes `image` in the user mode.
QByteArray writeThrough(TestK440 &w, SimController &sim, const TK440 &image)
{
    w.document().setImage(std::make_unique<TK440>(image));
    w.buildTree(w.currentMode());
    w.write();
    if (!w.findSubWindow(WindowId::Write))
        return {};
    if (!QTest::qWaitFor([&w] { return !w.findSubWindow(WindowId::Write); }, 10000))
        return {};
    return sim.memory();
}

TK440 imageOf(quint8 fill)
{
    TK440 img;
    std::memset(img.b, fill, TK440::Size);
    img.setWord(TK440::ModelOffset, TK440::ModelRA);
    return img;
}

} // namespace

class TstJournal : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void filterAndSort_data();
    void filterAndSort();
    void restore_data();
    void restore();
};

void TstJournal::filterAndSort_data()
{
    QTest::addColumn<QString>("serial");
    QTest::addColumn<int>("operation"); // -1: every operation
    QTest::addColumn<QDate>("since");
    QTest::addColumn<int>("column");
    QTest::addColumn<QStringList>("order"); // serials of the rows shown, ascending by column

    QTest::newRow("all by time") << QString() << -1 << QDate() << int(RecordTableModel::Time)
                                 << QStringList {"0xAA01", "0xBB02", "0xAA03", "0xCC04"};
    QTest::newRow("serial, by differing")
        << "aa" << -1 << QDate() << int(RecordTableModel::Differing)
        << QStringList {"0xAA03", "0xAA01"};
    QTest::newRow("writes since") << QString() << int(RecordedOperation::Write) << QDate(2026, 3, 1)
                                  << int(RecordTableModel::Time) << QStringList {"0xCC04"};
}

void TstJournal::filterAndSort()
{
    QFETCH(QString, serial);
    QFETCH(int, operation);
    QFETCH(QDate, since);
    QFETCH(int, column);
    QFETCH(QStringList, order);

    RecordTableModel table;
    // Differing counts sort as numbers: 10 after 9.
    table.setRecords({stored("0xBB02", RecordedOperation::Read, "2026-02-01T10:00:00Z", 0),
                      stored("0xCC04", RecordedOperation::Write, "2026-04-01T10:00:00Z", 1),
                      stored("0xAA01", RecordedOperation::Write, "2026-01-01T10:00:00Z", 10),
                      stored("0xAA03", RecordedOperation::Verify, "2026-03-01T10:00:00Z", 9)});
    RecordFilterModel filter;
    filter.setSourceModel(&table);
    filter.setSerial(serial);
    filter.setOperation(operation < 0 ? std::nullopt : std::optional(RecordedOperation(operation)));
    filter.setSince(since);
    filter.sort(column, Qt::AscendingOrder);
    QStringList shown;
    for (const StoredRecord &s : filter.shownRecords())
        shown << s.record.serial;
    QCOMPARE(shown, order);
}

void TstJournal::restore_data()
{
    QTest::addColumn<bool>("sameUnit");
    QTest::newRow("the unit of the record") << true;
    QTest::newRow("another unit") << false;
}

// Writes A, then B; restores the backup of B's write (A) from the journal after the real
// question box, to the unit of the record only.
void TstJournal::restore()
{
    QFETCH(bool, sameUnit);
    // A records database of this row's own.
    QTemporaryDir data;
    QVERIFY(data.isValid());
    qputenv("XDG_DATA_HOME", data.path().toLocal8Bit());
    auto sim = makeSimulatedController(QStringLiteral("RA"));
    TestK440 w([sim] { return makeSimulatedTransport(sim); });
    w.workerThread()->setSleepFunction([](int) {});
    QTRY_VERIFY(w.isConnected());
    const QString serial =
        ControllerIdentity {QString(), sim->identification(), QString()}.serialText();
    const QByteArray a = writeThrough(w, *sim, imageOf(0x11));
    const QByteArray b = writeThrough(w, *sim, imageOf(0x22));
    QVERIFY(!a.isEmpty() && a != b);

    w.findChild<QAction *>(QStringLiteral("journalAct"))->trigger();
    auto *journal = w.findChild<JournalWindow *>();
    QVERIFY(journal);
    auto *view = journal->findChild<QTableView *>(QStringLiteral("records"));
    // The recorder stores in its own thread: ask again until both writes are there.
    QTRY_VERIFY(view->model()->rowCount() == 2 || (journal->reload(), false));
    view->selectRow(0);
    QVERIFY(recordImage(*journal->selected()).isEmpty()); // the table holds no images
    // "Открыть": the backup (A) as a configuration without a file, after closing B's.
    w.answers->yesNo << true;
    journal->findChild<QPushButton *>(QStringLiteral("bOpen"))->click();
    QTRY_COMPARE(w.documentImage()->b[TK440::AmpOffset], quint8(0x11));
    QVERIFY(!w.currentFile());
    auto *restoreButton = journal->findChild<QPushButton *>(QStringLiteral("bRestore"));
    QVERIFY(restoreButton->isEnabled());
    if (!sameUnit)
        sim->setCpuSerial({1, 2, 3, 4});

    w.answers->yesNo << true;
    restoreButton->click();
    QCOMPARE(w.answers->asked.size(), 2);
    QTRY_VERIFY(w.findSubWindow(WindowId::Write));
    QWidget *window = w.findSubWindow(WindowId::Write)->widget();
    if (!sameUnit) {
        QTRY_COMPARE(progress::label(window),
                     QStringLiteral("Контроллер ") + serial + QStringLiteral(" не подключен."));
        QCOMPARE(sim->memory(), b);
        return;
    }
    QTRY_VERIFY_WITH_TIMEOUT(!w.findSubWindow(WindowId::Write), 10000);
    QCOMPARE(sim->memory(), a);
    // The restore is recorded as a write of mode "restore" from the record.
    journal->reload();
    QTRY_COMPARE(view->model()->rowCount(), 3);
    const QString mode = view->model()->index(0, RecordTableModel::Mode).data().toString();
    QCOMPARE(mode, QStringLiteral("restore"));
}

QTEST_MAIN(TstJournal)
#include "tst_journal.moc"
