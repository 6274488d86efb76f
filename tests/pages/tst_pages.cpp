// The page framework through the codec and amplifier pages: construction, common buttons,
// the debounced live test mode and the connection state.
#include "config/tk440.h"
#include "config/widgets/windowregistry.h"
#include "config/windows.h"
#include "jobrecorder.h"
#include "pages/amp.h"
#include "pages/builtinpages.h"
#include "pages/codec.h"
#include "sim/simcontroller.h"
#include "sim/simtransport.h"
#include "testsupport.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QDial>
#include <QLineEdit>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>

#include <chrono>
#include <cstring>
#include <memory>

using namespace std::chrono;

namespace {
// An image whose every byte differs from its neighbours, to see which bytes a page touches.
TK440 patternImage()
{
    TK440 img;
    for (int i = 0; i < TK440::Size; ++i)
        img.b[i] = quint8(i * 7 + 3);
    return img;
}

template<class W> W *child(QWidget *page, const char *name)
{
    auto *w = page->findChild<W *>(QLatin1String(name));
    if (!w)
        qFatal("no child %s", name);
    return w;
}

QByteArray bytes(const TK440 &img, int offset, int len)
{
    return QByteArray(img.data() + offset, len);
}
} // namespace

class TstPages : public QObject
{
    Q_OBJECT

    JobRecorder thread;

    // Amp page on `img` in mode 1, connected, test mode switched on.
    std::unique_ptr<Amp> liveAmp(TK440 &img)
    {
        auto page = std::make_unique<Amp>(&thread, img.b + TK440::AmpOffset, 1, true);
        page->setAttribute(Qt::WA_DeleteOnClose, false);
        child<QAbstractButton>(page.get(), "bTest")->setChecked(true);
        return page;
    }

private Q_SLOTS:
    void init() { thread.clear(); }

    void newImageFromRegistry()
    {
        registerBuiltinPages();
        TK440 img;
        std::memset(img.b, 0xee, sizeof img.b);
        for (const char *title : {"Кодек", "Усилитель НЧ"}) {
            WindowContext ctx;
            ctx.image = &img;
            ctx.mode = 0;
            std::unique_ptr<QWidget> page(
                windowRegistry().create(findWindow(QString::fromUtf8(title))->id, ctx));
            QVERIFY(page);
            QVERIFY(!page->isVisible());
        }
        QCOMPARE(bytes(img, 2, 30),
                 QByteArray("\x00\x00\x80\x01\x01\x65\x00\x02\x30\x03\x0a\x07\xc0\x08\x40\x09"
                            "\x00\x0c\xc0\x25\x16\x26\x80\x28\x4a\x2a\x00\x2b\x00\x2c",
                            30));
        QCOMPARE(bytes(img, 118, 4), hexBytes("00 2a 00 d6"));
        QCOMPARE(bytes(img, 0, 2), hexBytes("ee ee"));
        QCOMPARE(bytes(img, 32, 86), QByteArray(86, char(0xee)));
        QCOMPARE(bytes(img, 122, TK440::Size - 122), QByteArray(TK440::Size - 122, char(0xee)));
        QCOMPARE(thread.count(), 0);
    }

    // Every page class, built only to write defaults, writes exactly what the widget-free writer
    // of its window writes (the one a new image is made with), for both models and whatever
    // the image held before.
    void modeZeroWritesWhatTheWriterWrites_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<quint16>("model");
        registerBuiltinPages();
        for (const WindowRow &row : windowTable()) {
            if (!windowRegistry().contains(row.id))
                continue;
            for (quint16 model : {TK440::ModelRA, TK440::ModelRB}) {
                QTest::addRow("%s %s", row.title, model == TK440::ModelRA ? "RA" : "RB")
                    << int(row.id) << model;
            }
        }
    }
    void modeZeroWritesWhatTheWriterWrites()
    {
        QFETCH(int, id);
        QFETCH(quint16, model);
        const WindowRow &row = windowRow(WindowId(id));
        QVERIFY2(row.writeDefaults, "a page class whose window has no defaults writer");
        TK440 byPage = patternImage();
        byPage.setWord(TK440::ModelOffset, model);
        TK440 byWriter = byPage;

        const QDate today = QDate::currentDate();
        WindowContext ctx;
        ctx.thread = &thread;
        ctx.image = &byPage;
        ctx.mode = 0;
        QPointer<SubWindow> page = windowRegistry().create(row.id, ctx);
        QVERIFY(page);
        QVERIFY(!page->isVisible());
        delete page.data();
        row.writeDefaults(byWriter, today);
        if (QDate::currentDate() != today)
            QSKIP("the date changed meanwhile");

        for (int i = 0; i < TK440::Size; ++i)
            QVERIFY2(byPage.b[i] == byWriter.b[i], qPrintable(QStringLiteral("byte %1").arg(i)));
        QCOMPARE(thread.count(), 0);
    }

    void modeZeroClosesItself()
    {
        TK440 img = patternImage();
        QPointer<Amp> page = new Amp(&thread, img.b + TK440::AmpOffset, 0, true);
        QVERIFY(!page->isVisible());
        QTRY_VERIFY(page.isNull()); // deleted on close
    }

    // Codec ------------------------------------------------------------------------------

    void codecDefaultBoxes_data()
    {
        QTest::addColumn<int>("reg");
        QTest::addColumn<int>("checked");
        QTest::newRow("3") << 3 << 0x30;
        QTest::newRow("42") << 42 << 0x4a;
        QTest::newRow("8") << 8 << 0xc0;
        QTest::newRow("2") << 2 << 0x00;
    }
    void codecDefaultBoxes()
    {
        QFETCH(int, reg);
        QFETCH(int, checked);
        TK440 img = patternImage();
        QPointer<Codec> init = new Codec(img.b + TK440::CodecOffset, 0);
        Codec page(img.b + TK440::CodecOffset, 1);
        for (int b = 0; b < 8; ++b) {
            auto *box =
                child<QCheckBox>(&page, qPrintable(QStringLiteral("chk%1_%2").arg(reg).arg(b)));
            QCOMPARE(box->isChecked(), bool(checked & (1 << b)));
        }
        delete init;
    }

    void codecHasNoTestMode()
    {
        TK440 img = patternImage();
        Codec page(img.b + TK440::CodecOffset, 1);
        QVERIFY(!page.findChild<QAbstractButton *>("bTest"));
        QCOMPARE(page.objectName(), QStringLiteral("CodecClass"));
        QCOMPARE(page.findChildren<QCheckBox *>().size(), 96);
        QCOMPARE(child<QAbstractButton>(&page, "bReset")->text(), QStringLiteral("Сброс"));
        QCOMPARE(child<QAbstractButton>(&page, "bSave")->text(), QStringLiteral("Сохранить"));
        QCOMPARE(child<QAbstractButton>(&page, "bClose")->text(), QStringLiteral("Закрыть"));
    }

    void codecRegister42BitZero()
    {
        TK440 img = patternImage();
        img.b[TK440::CodecOffset + 24] = 0xff;
        Codec page(img.b + TK440::CodecOffset, 1);
        auto *d0 = child<QCheckBox>(&page, "chk42_0");
        QVERIFY(!d0->isChecked());
        QTest::mouseClick(d0, Qt::LeftButton);
        QVERIFY(!d0->isChecked());
        QVERIFY(child<QCheckBox>(&page, "chk42_1")->isChecked());
        page.setAttribute(Qt::WA_DeleteOnClose, false);
        child<QAbstractButton>(&page, "bSave")->click();
        QCOMPARE(img.b[TK440::CodecOffset + 24], quint8(0xfe));
    }

    void codecSaveTouchesOnlyItsSection()
    {
        TK440 img = patternImage();
        const TK440 before = img;
        Codec page(img.b + TK440::CodecOffset, 1);
        page.setWindowTitle(QStringLiteral("Кодек"));
        QSignalSpy closeSpy(&page, &Codec::reqClose);
        child<QCheckBox>(&page, "chk37_5")->toggle();
        child<QCheckBox>(&page, "chk2_0")->toggle();
        child<QAbstractButton>(&page, "bSave")->click();
        QCOMPARE(closeSpy.size(), 1);
        QCOMPARE(closeSpy.at(0).at(0).toString(), QStringLiteral("Кодек"));
        QCOMPARE(closeSpy.at(0).at(1).toBool(), true);
        for (int i = 0; i < TK440::Size; ++i)
            if (i < 2 || i >= 32)
                QVERIFY2(img.b[i] == before.b[i], qPrintable(QString::number(i)));
        // register bytes rewritten, pairs 0..2 values untouched, edited values stored
        for (int p = 0; p < CodecModel::Pairs; ++p)
            QCOMPARE(img.b[2 + 2 * p + 1], CodecModel::pairs()[size_t(p)].reg);
        for (int i = 2; i < 8; i += 2)
            QCOMPARE(img.b[i], before.b[i]);
        QCOMPARE(img.b[2 + 18], quint8(before.b[2 + 18] ^ 0x20)); // register 37
        QCOMPARE(img.b[2 + 6], quint8(before.b[2 + 6] ^ 0x01)); // register 2
    }

    void codecQuitKeepsNothing()
    {
        TK440 img = patternImage();
        Codec page(img.b + TK440::CodecOffset, 1);
        const TK440 opened = img;
        QSignalSpy closeSpy(&page, &Codec::reqClose);
        child<QCheckBox>(&page, "chk9_3")->toggle();
        child<QAbstractButton>(&page, "bClose")->click();
        QCOMPARE(closeSpy.size(), 1);
        QCOMPARE(closeSpy.at(0).at(1).toBool(), false);
        QCOMPARE(bytes(img, 0, TK440::Size), bytes(opened, 0, TK440::Size));
    }

    // Amp --------------------------------------------------------------------------------

    void ampOpens_data()
    {
        QTest::addColumn<QByteArray>("section");
        QTest::addColumn<int>("dial");
        QTest::addColumn<QString>("gain");
        QTest::addColumn<bool>("pwm");
        QTest::addColumn<QByteArray>("after");
        QTest::newRow("defaults") << hexBytes("00 2a 00 d6") << 42 << "15" << false
                                  << hexBytes("00 2a 00 d6");
        QTest::newRow("mod 0") << hexBytes("00 12 00 00") << 18 << "-23.7" << false
                               << hexBytes("00 12 00 d6");
        QTest::newRow("gain ff pwm")
            << hexBytes("05 ff 07 d5") << 63 << "29.5" << true << hexBytes("00 ff 00 d5");
        QTest::newRow("step 0") << hexBytes("00 00 00 d6") << 0 << "-141.5" << false
                                << hexBytes("00 00 00 d6");
    }
    void ampOpens()
    {
        QFETCH(QByteArray, section);
        QFETCH(int, dial);
        QFETCH(QString, gain);
        QFETCH(bool, pwm);
        QFETCH(QByteArray, after);
        TK440 img = patternImage();
        std::memcpy(img.b + TK440::AmpOffset, section.constData(), 4);
        Amp page(&thread, img.b + TK440::AmpOffset, 1, false);
        QCOMPARE(child<QDial>(&page, "dialGain")->value(), dial);
        QCOMPARE(child<QLineEdit>(&page, "lineGain")->text(), gain);
        QCOMPARE(child<QRadioButton>(&page, "radioPWM")->isChecked(), pwm);
        QCOMPARE(child<QRadioButton>(&page, "radioFLM")->isChecked(), !pwm);
        QCOMPARE(bytes(img, TK440::AmpOffset, 4), after);
        QCOMPARE(page.objectName(), QStringLiteral("AmpClass"));
    }

    void ampSaveTouchesOnlyItsSection()
    {
        TK440 img = patternImage();
        const TK440 before = img;
        Amp page(&thread, img.b + TK440::AmpOffset, 1, true);
        page.setAttribute(Qt::WA_DeleteOnClose, false);
        QSignalSpy closeSpy(&page, &Amp::reqClose);
        child<QDial>(&page, "dialGain")->setValue(7);
        child<QRadioButton>(&page, "radioPWM")->setChecked(true);
        child<QAbstractButton>(&page, "bSave")->click();
        QCOMPARE(closeSpy.size(), 1);
        QCOMPARE(closeSpy.at(0).at(1).toBool(), true);
        for (int i = 0; i < TK440::Size; ++i)
            if (i < 118 || i >= 122)
                QVERIFY2(img.b[i] == before.b[i], qPrintable(QString::number(i)));
        QCOMPARE(bytes(img, 118, 4), hexBytes("00 07 00 d5"));
        QCOMPARE(thread.count(), 0); // test mode was off
    }

    void ampButtons()
    {
        TK440 img = patternImage();
        Amp page(&thread, img.b + TK440::AmpOffset, 1, true);
        auto *test = child<QAbstractButton>(&page, "bTest");
        QCOMPARE(test->text(), QStringLiteral("Контроль"));
        QVERIFY(test->isCheckable());
        QVERIFY(test->isEnabled());
        QVERIFY(!test->isChecked());
        Amp offline(&thread, img.b + TK440::AmpOffset, 1, false);
        QVERIFY(!child<QAbstractButton>(&offline, "bTest")->isEnabled());
    }

    // Turning the dial through 30 positions within a second sends one request, the debounce
    // interval after the last movement, with the last value.
    void ampDialBurst()
    {
        TK440 img = patternImage();
        std::memcpy(img.b + TK440::AmpOffset, "\0\0\0\xd6", 4);
        auto page = liveAmp(img);
        auto *dial = child<QDial>(page.get(), "dialGain");
        const auto first = steady_clock::now();
        auto last = first;
        for (int v = 1; v <= 30; ++v) {
            if (v > 1)
                QTest::qWait(25);
            dial->setValue(v);
            last = steady_clock::now();
        }
        QVERIFY(last - first < seconds(1));
        QTRY_COMPARE_WITH_TIMEOUT(thread.count(), 1, 2000);
        QTest::qWait(300);
        const auto jobs = thread.jobs();
        QCOMPARE(jobs.size(), 1);
        QCOMPARE(jobs[0].type, int(TThread::JobAmp));
        QCOMPARE(jobs[0].bytes, QByteArray(1, char(30)));
        const auto delay = duration_cast<milliseconds>(jobs[0].at - last).count();
        QVERIFY2(delay >= 195, qPrintable(QString::number(delay)));
        QCOMPARE(img.b[TK440::AmpOffset + 1], quint8(30)); // the working copy follows
    }

    void ampModulationSwitch()
    {
        TK440 img = patternImage();
        std::memcpy(img.b + TK440::AmpOffset, "\0\x2a\0\xd6", 4);
        auto page = liveAmp(img);
        const auto start = steady_clock::now();
        child<QRadioButton>(page.get(), "radioPWM")->setChecked(true);
        QTRY_COMPARE_WITH_TIMEOUT(thread.count(), 1, 2000);
        QTest::qWait(300);
        const auto jobs = thread.jobs();
        QCOMPARE(jobs.size(), 1);
        QCOMPARE(jobs[0].type, int(TThread::JobAmp));
        QCOMPARE(jobs[0].bytes, hexBytes("d5"));
        QVERIFY(duration_cast<milliseconds>(jobs[0].at - start).count() >= 195);
    }

    void ampTestOffWithinDebounce()
    {
        TK440 img = patternImage();
        auto page = liveAmp(img);
        auto *test = child<QAbstractButton>(page.get(), "bTest");
        child<QDial>(page.get(), "dialGain")->setValue(3);
        QTest::qWait(100);
        test->setChecked(false);
        QTest::qWait(400);
        QCOMPARE(thread.count(), 0);
        // back on: the change made earlier is not sent, only new ones
        test->setChecked(true);
        QTest::qWait(400);
        QCOMPARE(thread.count(), 0);
        child<QDial>(page.get(), "dialGain")->setValue(4);
        QTRY_COMPARE_WITH_TIMEOUT(thread.count(), 1, 2000);
        QCOMPARE(thread.jobs()[0].bytes, hexBytes("04"));
    }

    void ampTestSlotOffUnchecks()
    {
        TK440 img = patternImage();
        auto page = liveAmp(img);
        child<QDial>(page.get(), "dialGain")->setValue(9);
        page->Test(false);
        QVERIFY(!child<QAbstractButton>(page.get(), "bTest")->isChecked());
        QVERIFY(!page->testMode());
        QTest::qWait(400);
        QCOMPARE(thread.count(), 0);
    }

    void ampDefaultInTestMode()
    {
        TK440 img = patternImage();
        std::memcpy(img.b + TK440::AmpOffset, "\0\x05\0\xd5", 4);
        auto page = liveAmp(img);
        child<QAbstractButton>(page.get(), "bReset")->click();
        QCOMPARE(child<QLineEdit>(page.get(), "lineGain")->text(), QStringLiteral("15"));
        QCOMPARE(bytes(img, TK440::AmpOffset, 4), hexBytes("00 2a 00 d6"));
        QTRY_COMPARE_WITH_TIMEOUT(thread.count(), 2, 2000);
        QTest::qWait(300);
        const auto jobs = thread.jobs();
        QCOMPARE(jobs.size(), 2);
        QCOMPARE(jobs[0].bytes, hexBytes("2a")); // gain group first
        QCOMPARE(jobs[1].bytes, hexBytes("d6"));
    }

    void ampDefaultOfDefaultsSendsNothing()
    {
        TK440 img = patternImage();
        std::memcpy(img.b + TK440::AmpOffset, "\0\x2a\0\xd6", 4);
        auto page = liveAmp(img);
        page->Default();
        QTest::qWait(400);
        QCOMPARE(thread.count(), 0);
    }

    void ampConnectionState()
    {
        TK440 img = patternImage();
        auto page = liveAmp(img);
        auto *test = child<QAbstractButton>(page.get(), "bTest");
        QVERIFY(page->testMode());
        child<QDial>(page.get(), "dialGain")->setValue(11);
        Q_EMIT thread.conn(false);
        QVERIFY(!test->isChecked());
        QVERIFY(!test->isEnabled());
        QVERIFY(!page->testMode());
        QTest::qWait(400);
        QCOMPARE(thread.count(), 0); // the pending change is dropped
        Q_EMIT thread.conn(true);
        QVERIFY(test->isEnabled());
        QVERIFY(!test->isChecked());
        QVERIFY(!page->testMode());
        // a reconnect while test mode is on also ends it
        test->setChecked(true);
        Q_EMIT thread.conn(true);
        QVERIFY(!test->isChecked());
        QVERIFY(test->isEnabled());
    }

    // The whole road: page, worker thread, transport, controller.
    void ampReachesController()
    {
        TThread worker;
        auto sim = std::make_shared<SimController>();
        sim->setTimeoutWait(20);
        worker.setTransport(makeSimulatedTransport(sim));
        worker.checkDevice();
        QVERIFY(QTest::qWaitFor([&] { return worker.isConnected(); }, 5000));
        QTest::qWait(20); // conn(true) delivered
        sim->clearTransfers();

        TK440 img = patternImage();
        std::memcpy(img.b + TK440::AmpOffset, "\0\0\0\xd6", 4);
        Amp page(&worker, img.b + TK440::AmpOffset, 1, true);
        page.setAttribute(Qt::WA_DeleteOnClose, false);
        child<QAbstractButton>(&page, "bTest")->setChecked(true);
        auto *dial = child<QDial>(&page, "dialGain");
        for (int v = 1; v <= 30; ++v) {
            dial->setValue(v);
            QTest::qWait(20);
        }
        QTRY_COMPARE_WITH_TIMEOUT(sim->moved(0x01).size(), 1, 2000);
        QTest::qWait(300);
        QCOMPARE(sim->moved(0x01), QList<QByteArray> {hexBytes("0003 0000 0001 0049 1e")});
        QCOMPARE(sim->amplifier(), quint8(30));

        child<QRadioButton>(&page, "radioPWM")->setChecked(true);
        QTRY_COMPARE_WITH_TIMEOUT(sim->moved(0x01).size(), 2, 2000);
        QTest::qWait(300);
        QCOMPARE(sim->moved(0x01).size(), 2);
        QCOMPARE(sim->amplifier(), quint8(0xd5));

        // The controller leaves: the page drops test mode and its button.
        sim->unplug();
        worker.checkDevice();
        QTRY_VERIFY_WITH_TIMEOUT(!child<QAbstractButton>(&page, "bTest")->isEnabled(), 5000);
        QVERIFY(!page.testMode());
    }

    void ampQuit()
    {
        TK440 img = patternImage();
        Amp page(&thread, img.b + TK440::AmpOffset, 1, true);
        page.setWindowTitle(QStringLiteral("Усилитель НЧ"));
        page.setAttribute(Qt::WA_DeleteOnClose, false);
        const TK440 opened = img;
        QSignalSpy closeSpy(&page, &Amp::reqClose);
        child<QDial>(&page, "dialGain")->setValue(1);
        child<QAbstractButton>(&page, "bClose")->click();
        QCOMPARE(closeSpy.size(), 1);
        QCOMPARE(closeSpy.at(0).at(0).toString(), QStringLiteral("Усилитель НЧ"));
        QCOMPARE(closeSpy.at(0).at(1).toBool(), false);
        QCOMPARE(bytes(img, 0, TK440::Size), bytes(opened, 0, TK440::Size));
    }
};

QTEST_MAIN(TstPages)
#include "tst_pages.moc"
