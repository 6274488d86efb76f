// The locks of the records that windows read while the worker fills them: a reader's unit
// comes back when its lock goes, and the worker's write waits for every reader.

#include "device/sharedrecord.h"

#include <QTest>

#include <atomic>
#include <thread>

namespace {

// Runs a writer on its own thread: it takes the write lock, stamps the record and says so.
template<typename Shared> struct Writer
{
    std::atomic<bool> done {false};
    std::thread thread;
    explicit Writer(Shared &shared, quint16 stamp)
        : thread([this, &shared, stamp] {
            typename Shared::WriteLock lock(shared);
            reinterpret_cast<quint16 *>(&*lock)[0] = stamp;
            done = true;
        })
    { }
    ~Writer() { thread.join(); }
};

} // namespace

class TstSharedRecord : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void writerWaitsForEveryReader_data();
    void writerWaitsForEveryReader();
    void readersShareTheMonitor();
    void readerWaitsForWriter();
    void reportIsExclusive();
};

void TstSharedRecord::writerWaitsForEveryReader_data()
{
    QTest::addColumn<int>("readers");
    QTest::newRow("one reader") << 1;
    QTest::newRow("five readers") << 5;
}

void TstSharedRecord::writerWaitsForEveryReader()
{
    QFETCH(int, readers);
    MonitorRecords records;
    std::vector<std::unique_ptr<MonitorReadLock>> locks;
    for (int i = 0; i < readers; ++i)
        locks.push_back(std::make_unique<MonitorReadLock>(records));
    Writer<MonitorRecords> writer(records, 0x1234);
    // Released one by one: the writer goes in only after the last.
    while (!locks.empty()) {
        QTest::qWait(30);
        QVERIFY(!writer.done);
        locks.pop_back();
    }
    QTRY_VERIFY(writer.done);
    MonitorReadLock read(records);
    QCOMPARE(read->ch[0].len, quint16(0x1234));
}

void TstSharedRecord::readersShareTheMonitor()
{
    MonitorRecords records;
    // Two views may read at once; neither waits for the other.
    MonitorReadLock first(records);
    std::atomic<bool> second {false};
    std::thread other([&] {
        MonitorReadLock lock(records);
        second = true;
    });
    QTRY_VERIFY(second);
    other.join();
}

void TstSharedRecord::readerWaitsForWriter()
{
    MonitorRecords records;
    std::atomic<bool> read {false};
    std::atomic<quint16> seen {0};
    std::thread reader;
    {
        MonitorWriteLock write(records);
        reader = std::thread([&] {
            MonitorReadLock lock(records);
            seen = lock->ch[4].data[509];
            read = true;
        });
        QTest::qWait(30);
        QVERIFY(!read);
        write->ch[4].data[509] = 0xbeef;
    }
    QTRY_VERIFY(read);
    reader.join();
    // The reader saw the record as the writer left it.
    QCOMPARE(seen.load(), quint16(0xbeef));
}

void TstSharedRecord::reportIsExclusive()
{
    ReportRecord report;
    auto first = std::make_unique<ReportLock>(report);
    Writer<ReportRecord> writer(report, 42);
    QTest::qWait(30);
    QVERIFY(!writer.done);
    first.reset();
    QTRY_VERIFY(writer.done);
    ReportLock lock(report);
    QCOMPARE(lock->w[0], quint16(42));
}

QTEST_GUILESS_MAIN(TstSharedRecord)
#include "tst_sharedrecord.moc"
