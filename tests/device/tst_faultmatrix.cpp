// Every transfer of every exchange with the controller, and every set-up step of opening it,
// under every kind of fault. Each exchange registers its rows (matrix/<exchange>rows.cpp): one
// per transfer, with what the exchange makes of each fault kind and a driver that runs its job;
// the cells are generated from them and each runs the real worker against the simulated
// controller.
// A cell checks that the worker neither crashes nor hangs, logs the exchange's own message,
// emits the job's failure signal, leaves the connection in the state the exchange defines, and
// leaves the image, record or file it worked on as it was.

#include "matrix/faultmatrix.h"

#include <QHash>
#include <QTest>

using namespace matrix;

namespace {

struct Dry
{
    bool done = false;
    Spot spot;
    QStringList log;
};

// The connection right afterwards, and the closing line the log ends in if any. A connection
// the exchange closes is announced gone by the exchange; a controller that left while the
// exchange went on is found gone by the hot-plug check that its departure runs.
void checkConnection(const Observed &res, Out out, bool gone, QStringList &closing)
{
    switch (res.after) {
    case Afterwards::Opened:
        QCOMPARE(res.connected, succeeds(out));
        QCOMPARE(res.conn, succeeds(out) ? QList<bool> {true} : QList<bool> {});
        return;
    case Afterwards::NeverOpened:
        QVERIFY(!res.connected);
        QCOMPARE(res.conn, QList<bool> {});
        return;
    case Afterwards::Stopped:
        QCOMPARE(res.conn, QList<bool> {});
        return;
    case Afterwards::AsFault:
        break;
    }
    if (closesItself(out) || gone) {
        QVERIFY(!res.connected);
        QCOMPARE(res.conn, QList<bool> {false});
        closing << (closesItself(out) ? LostLine : LeftLine);
    } else {
        QVERIFY(res.connected);
        QCOMPARE(res.conn, QList<bool> {});
    }
}

// The log before its closing lines: the clean run's lines up to the fault and the exchange's
// message, or the clean run's lines with the message first where the exchange goes on.
void checkLog(const QStringList &lines, Out out, const QStringList &dry, const QString &message,
              const QString &message2)
{
    QStringList expected;
    switch (out) {
    case Accept:
    case Dropped:
        expected = dry;
        break;
    case Logged:
        expected = QStringList {message} + dry;
        break;
    case Retried:
        expected = QStringList {message2} + dry;
        break;
    case Fail:
    case Close:
    case Fail2:
    case Close2:
    case Lost:
    case Quiet: {
        QStringList own;
        if (out == Fail || out == Close)
            own << message;
        if (out == Fail2 || out == Close2)
            own << message2;
        const qsizetype before = lines.size() - own.size();
        QVERIFY2(before >= 0, qPrintable(lines.join(QStringLiteral(" | "))));
        expected = dry.mid(0, before) + own;
        break;
    }
    case NA:
        break;
    }
    QCOMPARE(lines, expected);
}

} // namespace

class TstFaultMatrix : public QObject
{
    Q_OBJECT

    QHash<int, Dry> dryRuns; // by row: the clean run, made once

    // The clean run of a row: where the transfer is, how long its reply is, what the job logs.
    void dryRun(int row)
    {
        const Row &r = rows().at(row);
        Dry &dry = dryRuns[row];
        if (dry.done)
            return;
        Observed clean;
        runJob(r, -1, {}, clean);
        if (QTest::currentTestFailed())
            return;
        QVERIFY2(clean.succeeded.value_or(true), "the job fails without a fault");
        dry.spot = r.where.step ? Spot {true} : locate(clean.transfers, r.where);
        dry.log = clean.log;
        dry.done = true;
    }

private Q_SLOTS:
    void initTestCase()
    {
        int applicable = 0;
        for (const Row &r : rows())
            for (Out o : r.out)
                applicable += o != NA ? 1 : 0;
        const int cells = int(rows().size()) * Kinds;
        qInfo("fault matrix: %d transfers x %d faults = %d cells: %d applicable, %d not applicable",
              int(rows().size()), int(Kinds), cells, applicable, cells - applicable);
    }

    void cell_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("kind");
        for (int r = 0; r < rows().size(); ++r)
            for (int k = 0; k < Kinds; ++k)
                QTest::addRow("%s / %s", qPrintable(rows().at(r).name), kindNames[k]) << r << k;
    }

    void cell()
    {
        QFETCH(int, row);
        QFETCH(int, kind);
        const Row &r = rows().at(row);
        const Out out = r.out[kind];
        if (out == NA)
            QSKIP("not applicable: a packet written and a set-up step go whole or fail; neither "
                  "has a reply to cut short, empty or echo wrongly");
        dryRun(row);
        if (QTest::currentTestFailed())
            return;
        const Dry &dry = dryRuns[row];
        QVERIFY2(dry.spot.found, "the row's transfer is not in a clean run of its job");

        Observed res;
        runJob(r, kind, dry.spot, res);
        if (QTest::currentTestFailed())
            return;

        // The job's own outcome.
        if (res.succeeded && out != Dropped)
            QCOMPARE(*res.succeeded, succeeds(out));

        QStringList closing;
        checkConnection(res, out, isGone(kind), closing);
        if (QTest::currentTestFailed())
            return;

        // The log: the closing line if any last, and before it what the exchange logged.
        const QString number = QString::number(numberOf(kind, dry.spot));
        QStringList lines = res.log;
        QVERIFY2(lines.size() >= closing.size()
                     && lines.mid(lines.size() - closing.size()) == closing,
                 qPrintable(lines.join(QStringLiteral(" | "))));
        lines = lines.mid(0, lines.size() - closing.size());
        checkLog(lines, out, dry.log, QString(r.text).replace(QStringLiteral("%1"), number),
                 QString(r.text2).replace(QStringLiteral("%1"), number));
    }
};

QTEST_GUILESS_MAIN(TstFaultMatrix)
#include "tst_faultmatrix.moc"
