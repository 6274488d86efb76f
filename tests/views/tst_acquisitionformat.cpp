// What the statistics and trace windows show, without widgets: every conversion of the
// statistics record and the trace line.

#include "views/models/acquisitionformat.h"

#include <QTest>

using Words = QList<QPair<int, quint32>>; // byte offset, value (32 bits below offset 68)
Q_DECLARE_METATYPE(Words)

namespace {
TReport record(const Words &words)
{
    TReport r {};
    for (const auto &[offset, value] : words) {
        if (offset < 68) {
            r.w[offset / 2] = quint16(value >> 16);
            r.w[offset / 2 + 1] = quint16(value);
        } else {
            r.w[offset / 2] = quint16(value);
        }
    }
    return r;
}

QString textOf(const TReport &r, const QString &name)
{
    for (const auto &[n, text] : reportformat::texts(r))
        if (n == name)
            return text;
    return QStringLiteral("<none>");
}
} // namespace

class TstAcquisitionFormat : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void reportTexts_data()
    {
        QTest::addColumn<Words>("words");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text");
        QTest::newRow("AGC 256") << Words {{68, 256}} << "sAgc"
                                 << "0.000";
        QTest::newRow("AGC 0 as 1") << Words {{68, 0}} << "sAgc"
                                    << "-48.165";
        QTest::newRow("AGC 1") << Words {{68, 1}} << "sAgc"
                               << "-48.165";
        QTest::newRow("AGC 512") << Words {{68, 512}} << "sAgc"
                                 << "6.021";
        QTest::newRow("link delay 1.5") << Words {{8, 0x00018000}} << "sLinkDelay"
                                        << "1.5000";
        QTest::newRow("link delay max") << Words {{8, 0xFFFFFFFF}} << "sLinkDelay"
                                        << "65536.0000";
        QTest::newRow("jitter 40 ms") << Words {{60, 4000}} << "sJBufLoad"
                                      << "40.00";
        QTest::newRow("jitter 123.45") << Words {{60, 12345}} << "sJBufLoad"
                                       << "123.45";
        QTest::newRow("output 255") << Words {{78, 255}} << "sTxGain"
                                    << "-63.5";
        QTest::newRow("output 0x81") << Words {{78, 0x81}} << "sTxGain"
                                     << "-0.5";
        QTest::newRow("output 0") << Words {{78, 0}} << "sTxGain"
                                  << "0.0";
        QTest::newRow("input 255") << Words {{80, 255}} << "sRxGain"
                                   << "63.5";
        QTest::newRow("input 0x14") << Words {{80, 0x14}} << "sRxGain"
                                    << "10.0";
        QTest::newRow("high word first") << Words {{0, 0x00010002}} << "sTime"
                                         << "65538";
        QTest::newRow("unsigned") << Words {{64, 0xFFFFFFFF}} << "sRxErr"
                                  << "4294967295";
        QTest::newRow("sent total wraps") << Words {{16, 0xFFFFFFFF}, {36, 1}} << "sNumTx"
                                          << "0";
        QTest::newRow("sent bytes") << Words {{20, 70000}, {40, 5}} << "sSizeTx"
                                    << "70005";
        QTest::newRow("received") << Words {{28, 3}, {44, 4}} << "sNumRx"
                                  << "7";
        QTest::newRow("received bytes") << Words {{32, 0x80000000}, {48, 0x80000001}} << "sSizeRx"
                                        << "1";
        // Each field from its own offset.
        const char *decimals[] = {"sConCnt", "sTxdCnt",  "sTxdSize", "sTxdRep",
                                  "sRxdCnt", "sRxdSize", "sTxvCnt",  "sTxvSize",
                                  "sRxvCnt", "sRxvSize", "sBusErr",  "sBusRep"};
        for (int i = 0; i < 12; ++i)
            QTest::newRow(decimals[i]) << Words {{12 + 4 * i, quint32(1000 + i)}} << decimals[i]
                                       << QString::number(1000 + i);
    }
    void reportTexts()
    {
        QFETCH(Words, words);
        QFETCH(QString, name);
        QFETCH(QString, text);
        QCOMPARE(textOf(record(words), name), text);
    }

    void reportBars()
    {
        const reportformat::Bars b = reportformat::bars(
            record({{4, 0x1234FFFE}, {70, 40}, {72, 17}, {74, 435}, {76, 12}, {82, 0xFFFF}}));
        QCOMPARE(b.dsp, 0xFFFE); // the high half is not shown
        QCOMPARE(b.winMax, 40);
        QCOMPARE(b.winValue, 17);
        QCOMPARE(b.txLoad, 435);
        QCOMPARE(b.rxLoad, 12);
    }

    // Bytes the trace window shows of a delivered buffer: its count less the header, never
    // beyond the 1024-byte buffer whatever the count word says.
    void capturedBytes_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("captured");
        QTest::newRow("nothing") << 0 << -4;
        QTest::newRow("header only") << 4 << 0;
        QTest::newRow("one byte") << 5 << 1;
        QTest::newRow("whole buffer") << 1024 << 1020;
        QTest::newRow("count past the buffer") << 1025 << 1020;
        QTest::newRow("largest count") << 65535 << 1020;
    }
    void capturedBytes()
    {
        QFETCH(int, count);
        QFETCH(int, captured);
        quint16 buffer[TraceBufferSize / 2] {};
        buffer[0] = quint16(count);
        buffer[1] = 2;
        QCOMPARE(traceformat::capturedBytes(buffer), captured);
    }

    void traceLine_data()
    {
        QTest::addColumn<int>("channel");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("line");
        const QString t = QStringLiteral("09:05:01.250-> ");
        QTest::newRow("Link receive")
            << 2 << QByteArray("\x0a\xff", 2) << t + "Link RxD=>0x0A; 0xFF; ";
        QTest::newRow("0x05 and 0xAB")
            << 0 << QByteArray("\x05\xab", 2) << t + "Bus+ RxD=>0x05; 0xAB; ";
        QTest::newRow("Bus+ transmit") << 1 << QByteArray(1, '\0') << t + "Bus+ TxD=>0x00; ";
        QTest::newRow("Link transmit") << 3 << QByteArray("\x10", 1) << t + "Link TxD=>0x10; ";
        QTest::newRow("channel 7") << 7 << QByteArray(8, 'x') << t + "ошибка канала=7 ; n=8";
        QTest::newRow("channel 4") << 4 << QByteArray(1, 'x') << t + "ошибка канала=4 ; n=1";
        QTest::newRow("channel 65535")
            << 65535 << QByteArray(3, 'x') << t + "ошибка канала=65535 ; n=3";
    }
    void traceLine()
    {
        QFETCH(int, channel);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, line);
        QCOMPARE(traceformat::line(QTime(9, 5, 1, 250), quint16(channel),
                                   reinterpret_cast<const uchar *>(bytes.constData()),
                                   int(bytes.size())),
                 line);
    }
};

QTEST_GUILESS_MAIN(TstAcquisitionFormat)
#include "tst_acquisitionformat.moc"
