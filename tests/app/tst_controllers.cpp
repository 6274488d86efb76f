// Several controllers attached: the menu "Контроллер" follows the bus, a choice moves the
// worker's connection and falls back when the chosen one leaves, a choice during a job is
// refused, and the connect lines name the controller; with one, all is as it always was.

#include "k440fixture.h"

#include "app/startup.h"
#include "device/tthread.h"
#include "sim/simcontroller.h"

#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>

namespace {

// The terminal on `count` simulated controllers.
struct Rig
{
    explicit Rig(int count)
        : options(parseStartOptions({"k330", "--simulate", "--sim-count", QString::number(count)}))
        , w(options.transport)
    {
        w.workerThread()->setSleepFunction([](int) {});
    }
    QStringList titles() const
    {
        QStringList out;
        for (QAction *a : w.menuBar()->actions())
            out << (a->isSeparator() ? QStringLiteral("|") : a->text());
        return out;
    }
    QAction *entry(const char *path) const // the menu lists them in the order of the bus
    {
        return w.findChild<QMenu *>(QStringLiteral("controllerMenu"))
            ->actions()
            .value(path[2] - '1');
    }
    QString port() const { return w.workerThread()->portPath(); }
    bool logged(const QString &pattern) const
    {
        return w.logLines().join('\n').contains(
            QRegularExpression(pattern, QRegularExpression::MultilineOption));
    }
    void settle() const // the worker idle, its job signals delivered
    {
        QTRY_COMPARE(w.workerThread()->queuedJobs(), 0);
        QTest::qWait(100);
    }
    StartOptions options;
    TestK440 w;
};

const QStringList Plain = {"&Файл", "|", "&Задачи", "|", "&Опции", "|", "Ок&но", "|", "&Справка"};
const QStringList WithChoice = {"&Файл",  "|", "&Задачи", "|", "&Контроллер", "|",
                                "&Опции", "|", "Ок&но",   "|", "&Справка"};

} // namespace

class TstControllers : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void menuFollowsTheBus();
    void choiceDuringAJobIsRefused();
    void oneControllerAsEver();
};

void TstControllers::menuFollowsTheBus()
{
    Rig rig(2);
    QTRY_COMPARE(rig.titles(), WithChoice);
    QTRY_COMPARE(rig.port(), QStringLiteral("1-1"));
    QVERIFY(rig.entry("1-1")->isChecked());
    // Each listed by its serial without a read, the simulated ones each with their own.
    QTRY_VERIFY(rig.entry("1-1")->text().startsWith(QStringLiteral("1-1 — 0x"))
                && rig.entry("1-2")->text().startsWith(QStringLiteral("1-2 — 0x")));
    QVERIFY(rig.entry("1-1")->text().mid(3) != rig.entry("1-2")->text().mid(3));
    rig.settle();
    rig.entry("1-2")->trigger();
    QTRY_COMPARE(rig.port(), QStringLiteral("1-2"));
    QVERIFY(rig.logged("-> Контроллер VELK K-330S подключен к шине USB \\(1-1\\)$"));
    QVERIFY(rig.logged("-> Контроллер VELK K-330S отключен от шины USB \\(1-1, 0x[0-9A-F]+\\)$"));
    QVERIFY(rig.logged("-> Контроллер VELK K-330S подключен к шине USB \\(1-2, 0x[0-9A-F]+\\)$"));
    // The chosen one leaves: the first listed takes its place, and the menu goes.
    rig.options.link.simulators[1]->unplug();
    QTRY_COMPARE(rig.titles(), Plain);
    QTRY_COMPARE(rig.port(), QStringLiteral("1-1"));
    QVERIFY(rig.logged("Выбранный контроллер 1-2 отключен, выбран первый в списке: 1-1$"));
    rig.options.link.simulators[1]->plug();
    QTRY_COMPARE(rig.titles(), WithChoice);
    QTRY_VERIFY(rig.entry("1-1")->isChecked());
}

void TstControllers::choiceDuringAJobIsRefused()
{
    Rig rig(2);
    QTRY_VERIFY(rig.port() == QStringLiteral("1-1") && rig.entry("1-2"));
    rig.settle();
    rig.w.workerThread()->reqMonitor(1, true);
    QTRY_VERIFY(rig.w.workerThread()->monitorMask() != 0);
    const QString refusal =
        QStringLiteral("Контроллер 1-2 не выбран: дождитесь окончания задания на контроллере 1-1");
    rig.entry("1-2")->trigger();
    QVERIFY(rig.entry("1-1")->isChecked());
    QCOMPARE(rig.w.statusBar()->currentMessage(), refusal);
    QVERIFY(rig.logged(refusal + '$'));
    QTest::qWait(100);
    QCOMPARE(rig.port(), QStringLiteral("1-1"));
    // Once the job has ended the same choice goes through.
    rig.w.workerThread()->reqMonitor(1, false);
    rig.settle();
    rig.entry("1-2")->trigger();
    QTRY_COMPARE(rig.port(), QStringLiteral("1-2"));
}

void TstControllers::oneControllerAsEver()
{
    Rig rig(1);
    QTRY_VERIFY(rig.w.isConnected());
    rig.options.link.simulators[0]->unplug();
    QTRY_VERIFY(!rig.w.isConnected());
    QVERIFY(rig.logged("-> Контроллер VELK K-330S подключен к шине USB$"));
    QVERIFY(rig.logged("-> Контроллер VELK K-330. отключен от шины USB$"));
    QCOMPARE(rig.titles(), Plain);
}

QTEST_MAIN(TstControllers)
#include "tst_controllers.moc"
