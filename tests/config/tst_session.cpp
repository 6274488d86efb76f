// The session's decisions without widgets: which windows may open, what keeping a window's
// result does, the read adopted only when kept, the firmware check, mode changes.

#include "config/session.h"

#include <QTemporaryDir>
#include <QTest>

#include <cstring>
#include <memory>

namespace {
std::unique_ptr<TK440> filled(quint8 value)
{
    auto image = std::make_unique<TK440>();
    std::memset(image->b, value, TK440::Size);
    return image;
}
} // namespace

class TstSession : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void mayOpen_data()
    {
        QTest::addColumn<WindowRule>("rule");
        // Per state (nothing; connected; configuration open; both): 1 when the window opens.
        QTest::addColumn<QString>("opens");
        QTest::newRow("page") << WindowRules::Page << "0011";
        QTest::newRow("Info") << WindowRules::Document << "0011";
        QTest::newRow("view") << WindowRules::View << "1111";
        QTest::newRow("read") << WindowRules::Read << "0101";
        QTest::newRow("write") << WindowRules::Write << "0001";
        QTest::newRow("load") << WindowRules::Load << "1111";
    }
    void mayOpen()
    {
        QFETCH(WindowRule, rule);
        QFETCH(QString, opens);
        for (int state = 0; state < 4; ++state) {
            Session s;
            s.setConnected(state & 1);
            if (state & 2)
                s.document().setImage(filled(0));
            QVERIFY2(s.mayOpen(rule) == (opens[state] == '1'), qPrintable(QString::number(state)));
        }
    }

    // A page is handed the working copy with its sections as the document has them, and its
    // edits reach the document only when kept; a kept write only reports the read-back.
    void closing_data()
    {
        QTest::addColumn<WindowRule>("rule");
        QTest::addColumn<bool>("keep");
        QTest::addColumn<bool>("adopted"); // the vocoder's bytes 128..143 of the working copy
        QTest::addColumn<WindowClosed>("outcome");
        QTest::newRow("page kept") << WindowRules::Page << true << true << WindowClosed::Nothing;
        QTest::newRow("page closed")
            << WindowRules::Page << false << false << WindowClosed::Nothing;
        QTest::newRow("write kept")
            << WindowRules::Write << true << false << WindowClosed::ReadReported;
    }
    void closing()
    {
        QFETCH(WindowRule, rule);
        QFETCH(bool, keep);
        QFETCH(bool, adopted);
        QFETCH(WindowClosed, outcome);
        Session s;
        s.document().setImage(filled(0x11));
        s.document().workingCopy()->b[130] = 0x55; // a stale edit
        TK440 *image = s.inputsFor(rule, WindowId::Vocoder).image;
        QCOMPARE(image->b[130], quint8(0x11));
        QCOMPARE(image == s.document().workingCopy(), rule.input == WindowInput::WorkingCopy);
        std::memset(s.document().workingCopy()->b, 0xEE, TK440::Size);
        QCOMPARE(s.closing(rule, WindowId::Vocoder, keep), outcome);
        const TK440 *doc = s.document().image();
        for (int i : {127, 128, 143, 144})
            QCOMPARE(doc->b[i], quint8(adopted && i >= 128 && i < 144 ? 0xEE : 0x11));
    }

    void read_data()
    {
        QTest::addColumn<int>("how"); // 0 kept, 1 closed without keep, 2 window gone, 3 none made
        QTest::addColumn<bool>("adopted");
        QTest::newRow("kept") << 0 << true;
        QTest::newRow("closed") << 1 << false;
        QTest::newRow("window gone") << 2 << false;
        QTest::newRow("no window") << 3 << false;
    }
    void read()
    {
        QFETCH(int, how);
        QFETCH(bool, adopted);
        Session s;
        auto window = std::make_unique<QObject>();
        TK440 *image = s.inputsFor(WindowRules::Read, WindowId::Read).image;
        QVERIFY(image && s.hasConfiguration());
        std::memset(image->b, 0x33, TK440::Size);
        s.opened(WindowRules::Read, how == 3 ? nullptr : window.get());
        if (how == 2)
            window.reset();
        if (how < 2)
            QCOMPARE(s.closing(WindowRules::Read, WindowId::Read, how == 0),
                     adopted ? WindowClosed::ReadAdopted : WindowClosed::Nothing);
        QVERIFY(!s.document().pendingRead());
        QCOMPARE(s.document().image() != nullptr, adopted);
        if (adopted)
            QCOMPARE(s.document().image()->b[5], quint8(0x33));
        window.reset(); // deleted after closing: the document stays as it is
        QCOMPARE(s.document().image() != nullptr, adopted);
    }

    void firmware()
    {
        QTemporaryDir dir;
        QFile f(dir.filePath(QStringLiteral("fw.rom")));
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(QByteArray(700, 'f')) == 700);
        f.close();
        Session s;
        QCOMPARE(s.checkFirmware(dir.path()), "Файл " + dir.path() + " не удалось открыть.");
        QCOMPARE(s.checkFirmware(f.fileName()), QString());
        QCOMPARE(s.inputsFor(WindowRules::Load, WindowId::Load).firmware, QByteArray(700, 'f'));
        s.opened(WindowRules::Load, this); // the load window has taken its copy
        QVERIFY(s.document().firmware().isEmpty());
    }

    void switchMode_data()
    {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::addColumn<bool>("changes");
        QTest::newRow("same mode") << 10 << 10 << false;
        QTest::newRow("no mode chosen") << 2 << 0 << false;
        QTest::newRow("user to all") << 1 << 10 << true;
        QTest::newRow("back to user") << 2 << 1 << true;
    }
    void switchMode()
    {
        QFETCH(int, from);
        QFETCH(int, to);
        QFETCH(bool, changes);
        Session s;
        s.switchMode(from);
        s.document().setImage(filled(0x44));
        s.document().revertAll();
        s.document().workingCopy()->b[130] = 0x99; // an edit not kept
        QCOMPARE(s.switchMode(to), changes);
        QCOMPARE(s.mode(), changes ? to : from);
        // The configuration stays; the edit goes with the windows a switch closes.
        QCOMPARE(s.document().image()->b[130], quint8(0x44));
        QCOMPARE(s.document().workingCopy()->b[130], quint8(changes ? 0x44 : 0x99));
    }
};

QTEST_GUILESS_MAIN(TstSession)
#include "tst_session.moc"
