// The monitoring views through the main window: the tree items open them on their channels,
// they draw the simulated controller's stream, and neither closing a running view nor closing
// the main window leaves a channel switched on at the controller.

#include "k440fixture.h"

#include "app/builtinwindows.h"
#include "app/startup.h"
#include "device/tthread.h"
#include "pages/builtinpages.h"
#include "sim/simcontroller.h"
#include "sim/simtransport.h"
#include "views/mygraphicsview.h"

#include <QGraphicsEllipseItem>
#include <QGraphicsLineItem>
#include <QGraphicsScene>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QStandardPaths>
#include <QTest>

class TstMonitorWindows : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        initApplication();
        registerBuiltinPages();
        registerBuiltinWindows();
    }

    void opensOnItsChannel_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<quint16>("channel");
        QTest::addColumn<QString>("code"); // service code that shows the item; empty: user mode
        QTest::newRow("constellation") << "Созвездие" << quint16(0) << QString();
        QTest::newRow("ADC") << "Сигнал АЦП" << quint16(1) << QString();
        QTest::newRow("DAC") << "Сигнал ЦАП" << quint16(2) << QString();
        QTest::newRow("channel 3") << "Канал 3" << quint16(3) << "Ruby_Cobalts";
        QTest::newRow("channel 4") << "Канал 4" << quint16(4) << "Ruby_Cobalts";
    }
    void opensOnItsChannel()
    {
        QFETCH(QString, title);
        QFETCH(quint16, channel);
        QFETCH(QString, code);
        auto sim = makeSimulatedController(QStringLiteral("RA"));
        sim->monitorStream().setFlatOut(true);
        auto w = std::make_unique<TestK440>([sim] { return makeSimulatedTransport(sim); });
        QTRY_VERIFY(w->isConnected());
        if (!code.isEmpty()) {
            w->answers->onDialog = [code](QDialog *d) {
                d->findChild<QLineEdit *>(QStringLiteral("eCode"))->setText(code);
                d->findChild<QPushButton *>(QStringLiteral("bSet"))->click();
            };
            w->service();
        }
        w->showImage(TK440::ModelRA);
        QTreeWidgetItem *item = w->deviceTree()->findItems(title, Qt::MatchRecursive).value(0);
        QVERIFY(item);
        w->openItem(item, 0);
        QMdiSubWindow *sub = w->findSubWindow(title);
        QVERIFY(sub);
        auto *run = sub->widget()->findChild<QPushButton *>(QStringLiteral("bRun"));
        QVERIFY(run->isEnabled());
        run->click();
        QTRY_COMPARE(sim->monitorStream().channels(), quint16(1u << channel));
        QGraphicsScene *scene = sub->widget()->findChild<MyGraphicsView *>()->scene();
        // Dots, or signal lines (z 0; the oscilloscope's grid lies below).
        const auto drawn = [scene, channel] {
            for (QGraphicsItem *i : scene->items()) {
                if (channel == 0 ? qgraphicsitem_cast<QGraphicsEllipseItem *>(i) != nullptr
                                 : qgraphicsitem_cast<QGraphicsLineItem *>(i) && i->zValue() == 0)
                    return true;
            }
            return false;
        };
        QTRY_VERIFY(drawn());
        // The main window goes while the view runs: the channel is switched off at the
        // controller before the worker ends.
        w->close();
        w.reset();
        QCOMPARE(sim->monitorStream().channels(), quint16(0));
    }
};

QTEST_MAIN(TstMonitorWindows)
#include "tst_monitorwindows.moc"
