// The modem, link and vocoder pages opened from the device tree of the real main window, in
// the operating mode set through the real service dialog: their live test mode reaches a
// simulated controller, "Сохранить" adopts exactly their sections, "Закрыть" nothing.
#include "k440fixture.h"

#include "config/tk440.h"
#include "sim/simcontroller.h"
#include "sim/simtransport.h"

#include <QAbstractButton>
#include <QDial>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTest>

namespace {
QByteArray documentBytes(const TestK440 &w)
{
    return QByteArray(w.documentImage()->data(), TK440::Size);
}

// A section of the document in wire order: each 16-bit word high byte first.
QByteArray wire(const QByteArray &doc, Section s)
{
    QByteArray out;
    for (int i = s.offset; i < s.offset + s.length; i += 2)
        out.append(doc[i + 1]).append(doc[i]);
    return out;
}

bool inSections(int i, const QList<Section> &sections)
{
    for (const Section &s : sections) {
        if (i >= s.offset && i < s.offset + s.length)
            return true;
    }
    return false;
}
} // namespace

class TstK440Pages : public QObject
{
    Q_OBJECT

    std::shared_ptr<SimController> sim;
    std::unique_ptr<TestK440> w;

    void enterCode(const QString &code)
    {
        w->answers->onDialog = [code](QDialog *d) {
            d->findChild<QLineEdit *>(QStringLiteral("eCode"))->setText(code);
            d->findChild<QPushButton *>(QStringLiteral("bSet"))->click();
        };
        w->service();
    }

    QWidget *activate(const QString &title) { return w->activate(title); }

private Q_SLOTS:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void init()
    {
        sim = makeSimulatedController(QStringLiteral("RA"));
        auto s = sim;
        w = std::make_unique<TestK440>([s] { return makeSimulatedTransport(s); });
        QTRY_VERIFY(w->isConnected());
    }
    void cleanup() { w.reset(); }

    void liveAndKept_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("code"); // service code of the operating mode
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("modeControl"); // shown only because of the mode
        QTest::addColumn<QString>("control");
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("command");
        QTest::newRow("Соединение") << "Соединение"
                                    << "Topaz_Cobalts" << 4 << "boxOutRef"
                                    << "dialLvl" << 118 << 11;
        QTest::newRow("Протокол") << "Протокол"
                                  << "Ruby_Cobalts" << 10 << "eErr"
                                  << "sN1" << 100 << 10;
        QTest::newRow("Вокодер") << "Вокодер"
                                 << "Peridot_Cobalts" << 6 << "boxAnc"
                                 << "spinDTime" << 100 << 9;
    }
    void liveAndKept()
    {
        QFETCH(QString, title);
        QFETCH(QString, code);
        QFETCH(int, mode);
        QFETCH(QString, modeControl);
        QFETCH(QString, control);
        QFETCH(int, value);
        QFETCH(int, command);
        // Every word 0x1111: the link and vocoder pages clamp some of them on opening.
        w->showImage(TK440::ModelRA, 0x11);
        enterCode(code);
        QCOMPARE(w->currentMode(), mode);
        const QByteArray before = documentBytes(*w);
        const QList<Section> sections = findWindow(title)->sectionList();

        // Opened and closed without saving: the document is untouched.
        QWidget *page = activate(title);
        QVERIFY(page);
        QVERIFY(page->findChild<QWidget *>(modeControl)->isVisibleTo(page));
        page->findChild<QAbstractButton *>(QStringLiteral("bClose"))->click();
        QTRY_VERIFY(!w->findSubWindow(title));
        QCOMPARE(documentBytes(*w), before);

        // Test mode: one change, one packet at the controller.
        page = activate(title);
        QVERIFY(page);
        auto *test = page->findChild<QAbstractButton *>(QStringLiteral("bTest"));
        QVERIFY(test->isEnabled());
        test->setChecked(true);
        sim->clearTransfers();
        QWidget *c = page->findChild<QWidget *>(control);
        if (auto *dial = qobject_cast<QDial *>(c))
            dial->setValue(value);
        else
            qobject_cast<QSpinBox *>(c)->setValue(value);
        QTRY_COMPARE_WITH_TIMEOUT(sim->moved(0x01).size(), 1, 2000);
        QTest::qWait(300);
        QCOMPARE(sim->moved(0x01).size(), 1);

        // Kept: exactly the page's sections change, and they hold what was sent.
        page->findChild<QAbstractButton *>(QStringLiteral("bSave"))->click();
        QTRY_VERIFY(!w->findSubWindow(title));
        const QByteArray after = documentBytes(*w);
        for (int i = 0; i < TK440::Size; ++i) {
            if (!inSections(i, sections))
                QVERIFY2(after[i] == before[i], qPrintable(QString::number(i)));
        }
        QVERIFY(after != before);
        const Section sent = command == 9 ? sections.at(1) : sections.at(0);
        QCOMPARE(sim->moved(0x01).at(0), QByteArray(1, '\0') + char(command) + wire(after, sent));
        QCOMPARE(sim->parameter(quint8(command)), wire(after, sent));
    }
};

QTEST_MAIN(TstK440Pages)
#include "tst_k440pages.moc"
