// The modem, link and vocoder pages driven through their controls: what they show, what they
// write back on opening, and what their live test mode puts on the wire to a simulated
// controller.
#include "config/defaultimage.h"
#include "config/tk440.h"
#include "device/tthread.h"
#include "pages/link.h"
#include "pages/modem.h"
#include "pages/voc.h"
#include "sim/simcontroller.h"
#include "sim/simtransport.h"
#include "testsupport.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QDial>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QTest>

#include <memory>

namespace {
template<class W> W *child(QWidget *page, const char *name)
{
    auto *w = page->findChild<W *>(QLatin1String(name));
    if (!w)
        qFatal("no child %s", name);
    return w;
}

// Types `text` into a shown spin box and ends with Enter, as a user does.
void type(QAbstractSpinBox *box, const QString &text)
{
    box->window()->show();
    box->setFocus();
    box->selectAll();
    for (QChar ch : text) {
        QTest::keyClicks(box, QString(ch));
    }
    QTest::keyClick(box, Qt::Key_Enter);
}

// A decimal number as this locale's spin boxes read it.
QString decimal(const char *text)
{
    return QString::fromLatin1(text).replace(QLatin1Char('.'), QLocale().decimalPoint());
}

// Sets a control to v through its own setter.
void setControl(QWidget *w, double v)
{
    if (auto *s = qobject_cast<QAbstractSlider *>(w))
        s->setValue(int(v));
    else if (auto *s = qobject_cast<QSpinBox *>(w))
        s->setValue(int(v));
    else if (auto *s = qobject_cast<QDoubleSpinBox *>(w))
        s->setValue(v);
    else if (auto *b = qobject_cast<QAbstractButton *>(w))
        b->setChecked(v != 0);
    else if (auto *c = qobject_cast<QComboBox *>(w))
        c->setCurrentIndex(int(v));
    else
        qFatal("no setter for %s", qPrintable(w->objectName()));
}

// Section bytes in wire order: each 16-bit word high byte first.
QByteArray wire(const quint8 *section, int size)
{
    QByteArray out;
    for (int i = 0; i < size; i += 2)
        out.append(char(section[i + 1])).append(char(section[i]));
    return out;
}

quint16 word(const quint8 *section, int w)
{
    return quint16(section[2 * w] | (section[2 * w + 1] << 8));
}

enum PageKind { ModemPage, LinkPage, VocPage };
} // namespace

class TstLivePages : public QObject
{
    Q_OBJECT

    TThread worker;
    std::shared_ptr<SimController> sim;
    TK440 img;

    // A page of `kind` on img in `mode`; connected to the controller.
    std::unique_ptr<LivePage> open(PageKind kind, int mode = 10)
    {
        std::unique_ptr<LivePage> page;
        const bool on = worker.isConnected();
        quint8 *b = img.b;
        const quint8 *model = b + TK440::ModelOffset;
        switch (kind) {
        case ModemPage:
            page.reset(new Modem(&worker, model, b + TK440::ModemOffset, mode, on));
            break;
        case LinkPage:
            page.reset(new Link(&worker, model, b + TK440::LinkOffset, mode, on));
            break;
        case VocPage:
            page.reset(
                new Voc(&worker, model, b + TK440::VocOffset, b + TK440::Voc2Offset, mode, on));
            break;
        }
        page->setAttribute(Qt::WA_DeleteOnClose, false);
        return page;
    }

private Q_SLOTS:
    void initTestCase()
    {
        sim = std::make_shared<SimController>();
        sim->setTimeoutWait(20);
        worker.setTransport(makeSimulatedTransport(sim));
        worker.checkDevice();
        QVERIFY(QTest::qWaitFor([&] { return worker.isConnected(); }, 5000));
        QTest::qWait(20);
    }
    void cleanupTestCase()
    {
        worker.stop();
        worker.wait();
    }
    void init()
    {
        makeDefaultImage(img, TK440::ModelRA);
        sim->clearTransfers();
    }

    // In test mode, a change of any registered control sends one packet, the debounce
    // interval later, with the whole section as the page stored it; it reaches the controller
    // byte for byte. Changing a decoder control sends only the decoder block.
    void changeSendsSection_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("control");
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("code"); // parameter command
        QTest::addColumn<int>("wordIndex");
        QTest::addColumn<int>("wordValue");
        auto row = [](const char *name, PageKind k, const char *c, double v, int code, int w,
                      int wv) {
            QTest::newRow(name) << int(k) << QString::fromLatin1(c) << v << code << w << wv;
        };
        row("modem chkOutAgc", ModemPage, "chkOutAgc", 0, 11, 0, 2);
        row("modem chkInpAgc", ModemPage, "chkInpAgc", 0, 11, 0, 1);
        row("modem dialLvl", ModemPage, "dialLvl", 118, 11, 2, 118);
        row("modem dialTone", ModemPage, "dialTone", 0, 11, 1, 0);
        row("modem dialGain", ModemPage, "dialGain", 50, 11, 6, 50);
        row("modem OutRef", ModemPage, "OutRef", 1000, 11, 3, 1000);
        row("modem InpRef", ModemPage, "InpRef", 30000, 11, 7, 30000);
        row("modem OutGErr", ModemPage, "OutGErr", 3.3, 11, 4, 844);
        row("modem InpGErr", ModemPage, "InpGErr", 2.0, 11, 8, 512);
        row("modem InpTone", ModemPage, "InpTone", 0.027, 11, 5, 7);
        row("link sN1", LinkPage, "sN1", 100, 10, 0, 5);
        row("link sN2", LinkPage, "sN2", 7, 10, 1, 7);
        row("link sN3", LinkPage, "sN3", 9, 10, 8, 500); // the loss time follows N3
        row("link sK", LinkPage, "sK", 3, 10, 3, 3);
        row("link chkAck", LinkPage, "chkAck", 0, 10, 9, 0);
        row("link sT0", LinkPage, "sT0", 250, 10, 4, 12);
        row("link sT1", LinkPage, "sT1", 250, 10, 5, 12);
        row("link sT2", LinkPage, "sT2", 30, 10, 6, 1);
        row("link sT3", LinkPage, "sT3", 2010, 10, 7, 100);
        row("link chkTmr", LinkPage, "chkTmr", 1, 10, 9, 3);
        row("voc chkPtt", VocPage, "chkPtt", 0, 8, 0, 0);
        row("voc chkVad", VocPage, "chkVad", 1, 8, 0, 3);
        row("voc chkVbr", VocPage, "chkVbr", 1, 8, 0, 5);
        row("voc chkAnc", VocPage, "chkAnc", 1, 8, 0, 9);
        row("voc boxRate", VocPage, "boxRate", 0, 8, 1, 0);
        row("voc spinETime", VocPage, "spinETime", 60, 8, 2, 3);
        row("voc dialVad", VocPage, "dialVad", 200, 8, 3, 200 * 128);
        row("voc spinVad", VocPage, "spinVad", 10, 8, 3, 10 * 128);
        row("voc dialAnc", VocPage, "dialAnc", 1, 8, 4, 128);
        row("voc spinAnc", VocPage, "spinAnc", 255, 8, 4, 255 * 128);
        row("voc chkAdj", VocPage, "chkAdj", 1, 9, 0, 1);
        row("voc spinDTime", VocPage, "spinDTime", 180, 9, 1, 8);
    }
    void changeSendsSection()
    {
        QFETCH(int, kind);
        QFETCH(QString, control);
        QFETCH(double, value);
        QFETCH(int, code);
        QFETCH(int, wordIndex);
        QFETCH(int, wordValue);
        auto page = open(PageKind(kind));
        if (kind == ModemPage) {
            // Error gains typed by hand; the automatic boxes are not sent themselves.
            child<QCheckBox>(page.get(), "chkOutCalc")->setChecked(false);
            child<QCheckBox>(page.get(), "chkInpCalc")->setChecked(false);
        }
        child<QAbstractButton>(page.get(), "bTest")->setChecked(true);
        QCOMPARE(img.b[TK440::ModemOffset], quint8(3)); // nothing stored yet
        setControl(child<QWidget>(page.get(), qPrintable(control)), value);
        QTest::qWait(200);
        QCOMPARE(sim->moved(0x01).size(), 0); // still within the debounce interval
        QTRY_COMPARE_WITH_TIMEOUT(sim->moved(0x01).size(), 1, 2000);
        QTest::qWait(300);

        const quint8 *sec = img.b
            + (code == 11       ? TK440::ModemOffset
                   : code == 10 ? TK440::LinkOffset
                   : code == 8  ? TK440::VocOffset
                                : TK440::Voc2Offset);
        const int size = code == 11 ? 18 : code == 10 ? 20 : code == 8 ? 10 : 6;
        QCOMPARE(int(word(sec, wordIndex)), wordValue);
        const QByteArray packet = QByteArray(1, '\0') + char(code) + wire(sec, size);
        QCOMPARE(sim->moved(0x01), QList<QByteArray> {packet});
        QCOMPARE(sim->parameter(quint8(code)), wire(sec, size));
    }

    // Modem ------------------------------------------------------------------------------

    void modemOpensDefaults()
    {
        auto page = open(ModemPage, 4);
        QWidget *p = page.get();
        QCOMPARE(child<QLineEdit>(p, "lineLvl")->text(), QStringLiteral("-6"));
        QCOMPARE(child<QLineEdit>(p, "lineTone")->text(), QStringLiteral("-3"));
        QCOMPARE(child<QLineEdit>(p, "lineGain")->text(), QStringLiteral("59.5"));
        QCOMPARE(child<QSpinBox>(p, "OutRef")->value(), 512);
        QCOMPARE(child<QSpinBox>(p, "InpRef")->value(), 2569);
        QCOMPARE(child<QDoubleSpinBox>(p, "OutGErr")->text(), decimal("5.016"));
        QCOMPARE(child<QDoubleSpinBox>(p, "InpGErr")->text(), decimal("1.000"));
        QCOMPARE(child<QDoubleSpinBox>(p, "InpTone")->text(), decimal("4.000"));
        QVERIFY(child<QLabel>(p, "labOutLvl")->isVisibleTo(p));
        QVERIFY(child<QLabel>(p, "labInpGain")->isVisibleTo(p));
        child<QCheckBox>(p, "chkOutAgc")->setChecked(false);
        QVERIFY(!child<QLabel>(p, "labOutLvl")->isVisibleTo(p));
        QVERIFY(child<QLabel>(p, "labInpGain")->isVisibleTo(p));
        // A stored error gain is shown even with automatic calculation on.
        img.setWord(TK440::ModemOffset + 8, 7);
        img.setWord(TK440::ModemOffset + 16, 0xFFFF);
        auto again = open(ModemPage, 4);
        QCOMPARE(child<QDoubleSpinBox>(again.get(), "OutGErr")->text(), decimal("0.027"));
        QCOMPARE(child<QDoubleSpinBox>(again.get(), "InpGErr")->text(), decimal("255.996"));
        // ... and saved as it was.
        child<QAbstractButton>(again.get(), "bSave")->click();
        QCOMPARE(img.word(TK440::ModemOffset + 8), quint16(7));
        QCOMPARE(img.word(TK440::ModemOffset + 16), quint16(0xFFFF));
    }

    void modemLevelTexts_data()
    {
        QTest::addColumn<QString>("dial");
        QTest::addColumn<QString>("line");
        QTest::addColumn<int>("step");
        QTest::addColumn<QString>("text");
        QTest::newRow("off") << "dialLvl"
                             << "lineLvl" << 118 << "Откл.";
        QTest::newRow("list start") << "dialLvl"
                                    << "lineLvl" << 104 << "-52.2";
        QTest::newRow("list end") << "dialLvl"
                                  << "lineLvl" << 117 << "-78.3";
        QTest::newRow("tone off") << "dialTone"
                                  << "lineTone" << 118 << "Откл.";
        QTest::newRow("tone 0") << "dialTone"
                                << "lineTone" << 0 << "0";
        QTest::newRow("gain 0") << "dialGain"
                                << "lineGain" << 0 << "0.0";
    }
    void modemLevelTexts()
    {
        QFETCH(QString, dial);
        QFETCH(QString, line);
        QFETCH(int, step);
        QFETCH(QString, text);
        auto page = open(ModemPage);
        child<QDial>(page.get(), qPrintable(dial))->setValue(step);
        QCOMPARE(child<QLineEdit>(page.get(), qPrintable(line))->text(), text);
    }

    void modemAutomaticGain_data()
    {
        QTest::addColumn<int>("ref");
        QTest::addColumn<QString>("gain");
        QTest::newRow("1000") << 1000 << "2.566";
        QTest::newRow("1 saturates") << 1 << "255.996";
        QTest::newRow("0") << 0 << "0.000";
    }
    void modemAutomaticGain()
    {
        QFETCH(int, ref);
        QFETCH(QString, gain);
        auto page = open(ModemPage);
        for (const char *side : {"Out", "Inp"}) {
            auto *refBox = child<QSpinBox>(page.get(), qPrintable(side + QStringLiteral("Ref")));
            auto *gainBox =
                child<QDoubleSpinBox>(page.get(), qPrintable(side + QStringLiteral("GErr")));
            auto *calc =
                child<QCheckBox>(page.get(), qPrintable(QStringLiteral("chk%1Calc").arg(side)));
            QVERIFY(calc->isChecked());
            QVERIFY(!gainBox->isEnabled());
            refBox->setValue(ref);
            QCOMPARE(gainBox->text(), decimal(qPrintable(gain)));
            // Without automatic calculation the gain is the user's.
            calc->setChecked(false);
            QVERIFY(gainBox->isEnabled());
            refBox->setValue(2569);
            QCOMPARE(gainBox->text(), decimal(qPrintable(gain)));
            calc->setChecked(true);
            QCOMPARE(gainBox->text(), decimal("1.000"));
        }
    }

    void modemTypedFixedPoint()
    {
        auto page = open(ModemPage);
        auto *tone = child<QDoubleSpinBox>(page.get(), "InpTone");
        type(tone, decimal("3.3"));
        QCOMPARE(tone->text(), decimal("3.297"));
        child<QAbstractButton>(page.get(), "bSave")->click();
        QCOMPARE(img.word(TK440::ModemOffset + 10), quint16(844));
    }

    void modemFlags()
    {
        img.setWord(TK440::ModemOffset, 0xFFFF);
        auto page = open(ModemPage);
        QVERIFY(child<QCheckBox>(page.get(), "chkOutAgc")->isChecked());
        QVERIFY(child<QCheckBox>(page.get(), "chkInpAgc")->isChecked());
        child<QAbstractButton>(page.get(), "bSave")->click();
        QCOMPARE(img.word(TK440::ModemOffset), quint16(3));
    }

    // Mode-dependent controls of the modem and vocoder pages.
    void modeVisibility_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("modemAll");
        QTest::addColumn<bool>("anc");
        QTest::newRow("1") << 1 << false << false;
        QTest::newRow("2") << 2 << false << false;
        QTest::newRow("4") << 4 << true << false;
        QTest::newRow("6") << 6 << false << true;
        QTest::newRow("10") << 10 << true << true;
    }
    void modeVisibility()
    {
        QFETCH(int, mode);
        QFETCH(bool, modemAll);
        QFETCH(bool, anc);
        auto modem = open(ModemPage, mode);
        QWidget *m = modem.get();
        for (const char *g :
             {"boxOutRef", "boxOutCalc", "boxOutTone", "boxInpTone", "boxInpCalc", "boxInpRef"})
            QVERIFY2(child<QWidget>(m, g)->isVisibleTo(m) == modemAll, g);
        for (const char *c : {"chkOutAgc", "chkInpAgc", "dialLvl", "dialGain"})
            QVERIFY2(child<QWidget>(m, c)->isVisibleTo(m), c);
        auto voc = open(VocPage, mode);
        QWidget *v = voc.get();
        for (const char *c : {"labAnc", "chkAnc", "boxAnc"})
            QVERIFY2(child<QWidget>(v, c)->isVisibleTo(v) == anc, c);
        QVERIFY(child<QWidget>(v, "boxVad")->isVisibleTo(v));
        QVERIFY(!child<QWidget>(v, "chkAdj")->isVisibleTo(v));
        QVERIFY(!child<QWidget>(v, "labAdj")->isVisibleTo(v));
    }

    // Link -------------------------------------------------------------------------------

    void linkTypedValues()
    {
        auto page = open(LinkPage);
        QWidget *p = page.get();
        QCOMPARE(child<QTabWidget>(p, "tabLink")->currentWidget(), child<QWidget>(p, "tabTimers"));
        auto *n1 = child<QSpinBox>(p, "sN1");
        type(n1, QStringLiteral("100"));
        QCOMPARE(n1->value(), 96);
        auto *t1 = child<QSpinBox>(p, "sT1");
        auto *t2 = child<QSpinBox>(p, "sT2");
        type(t1, QStringLiteral("1000"));
        type(t2, QStringLiteral("410"));
        QCOMPARE(t2->value(), 400);
        type(t1, QStringLiteral("250"));
        QCOMPARE(t1->value(), 240);
        QCOMPARE(t2->value(), 240);
        QCOMPARE(t2->maximum(), 240);
        child<QAbstractButton>(p, "bSave")->click();
        QCOMPARE(img.word(TK440::LinkOffset), quint16(5));
        QCOMPARE(img.word(TK440::LinkOffset + 10), quint16(12));
        QCOMPARE(img.word(TK440::LinkOffset + 12), quint16(12));
    }

    void linkClampsOnOpening()
    {
        img.setWord(TK440::LinkOffset, 40);
        img.setWord(TK440::LinkOffset + 4, 300); // N3
        img.setWord(TK440::LinkOffset + 14, 256); // T3
        auto page = open(LinkPage);
        QCOMPARE(child<QSpinBox>(page.get(), "sN1")->value(), 512);
        QCOMPARE(child<QSpinBox>(page.get(), "sT3")->value(), 5100);
        // The working copy holds the clamped values before any save.
        QCOMPARE(img.word(TK440::LinkOffset), quint16(31));
        QCOMPARE(img.word(TK440::LinkOffset + 4), quint16(255));
        QCOMPARE(img.word(TK440::LinkOffset + 14), quint16(255));
        QCOMPARE(child<QLineEdit>(page.get(), "eErr")->text(), QStringLiteral("1305600"));
    }

    void linkLossTime()
    {
        auto page = open(LinkPage);
        auto *eErr = child<QLineEdit>(page.get(), "eErr");
        QCOMPARE(eErr->text(), QStringLiteral("5000")); // T3 1000 ms, N3 4
        child<QSpinBox>(page.get(), "sN3")->setValue(9);
        QCOMPARE(eErr->text(), QStringLiteral("10000"));
        child<QSpinBox>(page.get(), "sT3")->setValue(510);
        QCOMPARE(eErr->text(), QStringLiteral("5000"));
        child<QSpinBox>(page.get(), "sN3")->setValue(4);
        child<QSpinBox>(page.get(), "sT3")->setValue(1000);
        child<QAbstractButton>(page.get(), "bSave")->click();
        QCOMPARE(img.word(TK440::LinkOffset + 16), quint16(250));
    }

    void linkAdaptiveLabel()
    {
        auto page = open(LinkPage);
        QWidget *p = page.get();
        auto *l = child<QLabel>(p, "lT1");
        QVERIFY(!child<QLabel>(p, "lT1_0")->isVisibleTo(p));
        QVERIFY(!child<QLabel>(p, "lT1_1")->isVisibleTo(p));
        const QString plain = l->text();
        QVERIFY(!plain.contains(QStringLiteral("Максимальный период")));
        child<QCheckBox>(p, "chkTmr")->setChecked(true);
        QVERIFY(l->text().contains(QStringLiteral("Максимальный период")));
        child<QCheckBox>(p, "chkTmr")->setChecked(false);
        QCOMPARE(l->text(), plain);
        // A stored adaptive flag opens with the other text.
        img.setWord(TK440::LinkOffset + 18, 2);
        auto again = open(LinkPage);
        QVERIFY(child<QLabel>(again.get(), "lT1")
                    ->text()
                    .contains(QStringLiteral("Максимальный период")));
    }

    // Vocoder ----------------------------------------------------------------------------

    void vocOpens()
    {
        auto page = open(VocPage);
        QWidget *p = page.get();
        QCOMPARE(child<QComboBox>(p, "boxRate")->currentText(), QStringLiteral("17.6"));
        QCOMPARE(child<QSpinBox>(p, "spinETime")->value(), 20);
        QCOMPARE(child<QSpinBox>(p, "spinDTime")->value(), 40);
        for (const char *g : {"dialVad", "dialAnc"})
            QCOMPARE(child<QDial>(p, g)->value(), 126);
        for (const char *g : {"spinVad", "spinAnc"})
            QCOMPARE(child<QSpinBox>(p, g)->value(), 126);
        QVERIFY(child<QCheckBox>(p, "chkPtt")->isChecked());

        img.setWord(TK440::VocOffset + 2, 12);
        auto clamped = open(VocPage);
        QCOMPARE(child<QComboBox>(clamped.get(), "boxRate")->currentIndex(), 8);
        QCOMPARE(img.word(TK440::VocOffset + 2), quint16(8));
    }

    void vocVadGainWord()
    {
        auto page = open(VocPage);
        child<QDial>(page.get(), "dialVad")->setValue(200);
        QCOMPARE(child<QSpinBox>(page.get(), "spinVad")->value(), 200);
        child<QAbstractButton>(page.get(), "bSave")->click();
        QCOMPARE(img.b[TK440::VocOffset + 7], quint8(100));
        QCOMPARE(img.b[TK440::VocOffset + 6], quint8(0));
    }

    void vocVbrExcludesVad()
    {
        auto page = open(VocPage);
        auto *vad = child<QCheckBox>(page.get(), "chkVad");
        auto *vbr = child<QCheckBox>(page.get(), "chkVbr");
        vad->setChecked(true);
        child<QAbstractButton>(page.get(), "bTest")->setChecked(true);
        vbr->setChecked(true);
        QVERIFY(!vad->isChecked());
        QTRY_COMPARE_WITH_TIMEOUT(sim->moved(0x01).size(), 1, 2000);
        QTest::qWait(300);
        const QList<QByteArray> packets = sim->moved(0x01);
        QCOMPARE(packets.size(), 1);
        QCOMPARE(packets[0].left(4), hexBytes("00 08 00 05")); // PTT and VBR, not VAD
        // Unchecking one leaves the other alone.
        vbr->setChecked(false);
        QVERIFY(!vad->isChecked());
        vad->setChecked(true);
        vad->setChecked(false);
        QVERIFY(!vbr->isChecked());
    }
};

QTEST_MAIN(TstLivePages)
#include "tst_livepages.moc"
