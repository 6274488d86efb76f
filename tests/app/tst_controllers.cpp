// The choice of controller while several are attached: the menu "Контроллер" follows the bus,
// a choice moves the worker's connection and falls back when the chosen one leaves, a choice
// during a job is refused, and the connect lines name the controller only among several.

#include "k440fixture.h"

#include "app/startup.h"
#include "device/tthread.h"
#include "sim/simcontroller.h"

#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>

namespace {

const QStringList PlainMenus = {"&Файл", "|",    "&Задачи", "|",       "&Опции",
                                "|",     "Окно", "|",       "&Справка"};
const QStringList WithChoice = {"&Файл",  "|", "&Задачи", "|", "Контроллер", "|",
                                "&Опции", "|", "Окно",    "|", "&Справка"};

// A window whose job is under way, as a progress window before its end.
class BusyWindow : public SubWindow
{
public:
    bool busy() const override { return true; }
};

// The terminal started with `count` simulated controllers.
struct Rig
{
    explicit Rig(int count)
        : options(parseStartOptions(
            {"k330-terminal", "--simulate", "--sim-count", QString::number(count)}))
        , w(options.transport)
    {
        w.workerThread()->setSleepFunction([](int) {});
    }
    QStringList menuTitles() const
    {
        QStringList titles;
        for (QAction *a : w.menuBar()->actions())
            titles << (a->isSeparator() ? QStringLiteral("|") : a->text());
        return titles;
    }
    QAction *entry(const QString &path) const
    {
        const auto *menu = w.findChild<QMenu *>(QStringLiteral("controllerMenu"));
        for (QAction *a : menu->actions()) {
            if (a->data().toString() == path)
                return a;
        }
        return nullptr;
    }
    QString port() const { return w.workerThread()->portPath(); }
    bool logged(const QString &pattern) const
    {
        return w.logLines().join('\n').contains(
            QRegularExpression(pattern, QRegularExpression::MultilineOption));
    }
    // Until the worker is idle and its job signals have arrived.
    void settle() const
    {
        QTRY_COMPARE(w.workerThread()->queuedJobs(), 0);
        QTest::qWait(100);
    }

    StartOptions options;
    TestK440 w;
};

} // namespace

class TstControllers : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void menuFollowsTheBusAndTheChoiceFallsBack();
    void choiceDuringAJobIsRefused_data();
    void choiceDuringAJobIsRefused();
    void connectLinesNameTheControllerAmongSeveral_data();
    void connectLinesNameTheControllerAmongSeveral();
};

void TstControllers::menuFollowsTheBusAndTheChoiceFallsBack()
{
    Rig rig(2);
    QTRY_COMPARE(rig.menuTitles(), WithChoice);
    QTRY_COMPARE(rig.port(), QStringLiteral("1-1"));
    QVERIFY(rig.entry("1-1")->isChecked());
    // A read identifies the connected controller: its entry gets the serial.
    rig.w.read();
    QTRY_VERIFY(rig.entry("1-1")->text().startsWith(QStringLiteral("1-1 — 0x")));
    QCOMPARE(rig.entry("1-2")->text(), QStringLiteral("1-2"));
    QTRY_VERIFY(!rig.w.findSubWindow(QStringLiteral("Прочитать")));
    rig.settle();

    rig.entry("1-2")->trigger();
    QTRY_COMPARE(rig.port(), QStringLiteral("1-2"));
    QVERIFY(rig.entry("1-2")->isChecked());
    // The chosen one leaves: the first listed takes its place, and the menu goes.
    rig.options.link.simulators[1]->unplug();
    QTRY_COMPARE(rig.menuTitles(), PlainMenus);
    QTRY_COMPARE(rig.port(), QStringLiteral("1-1"));
    QVERIFY(rig.logged("Выбранный контроллер 1-2 отключен, выбран первый в списке: 1-1$"));
    rig.options.link.simulators[1]->plug();
    QTRY_COMPARE(rig.menuTitles(), WithChoice);
    QTRY_VERIFY(rig.entry("1-1")->isChecked());
}

void TstControllers::choiceDuringAJobIsRefused_data()
{
    QTest::addColumn<bool>("monitor");
    QTest::newRow("monitor stream") << true;
    QTest::newRow("window's job") << false;
}

void TstControllers::choiceDuringAJobIsRefused()
{
    QFETCH(bool, monitor);
    Rig rig(2);
    QTRY_COMPARE(rig.port(), QStringLiteral("1-1"));
    QTRY_VERIFY(rig.entry("1-2"));
    rig.settle();
    std::unique_ptr<BusyWindow> window;
    if (monitor) {
        rig.w.workerThread()->reqMonitor(1, true);
        QTRY_VERIFY(rig.w.workerThread()->monitorMask() != 0);
    } else {
        window = std::make_unique<BusyWindow>();
        rig.w.mdi()->addSubWindow(window.get())->show();
    }
    const QString refusal =
        QStringLiteral("Контроллер 1-2 не выбран: дождитесь окончания задания на контроллере 1-1");
    rig.entry("1-2")->trigger();
    QVERIFY(rig.entry("1-1")->isChecked());
    QCOMPARE(rig.w.statusBar()->currentMessage(), refusal);
    QVERIFY(rig.logged(refusal + '$'));
    QTest::qWait(100);
    QCOMPARE(rig.port(), QStringLiteral("1-1"));

    // Once the job has ended the same choice goes through.
    if (monitor)
        rig.w.workerThread()->reqMonitor(1, false);
    else
        delete rig.w.mdi()->subWindowList().value(0);
    window.release(); // its sub-window owned it
    rig.settle();
    rig.entry("1-2")->trigger();
    QTRY_COMPARE(rig.port(), QStringLiteral("1-2"));
}

void TstControllers::connectLinesNameTheControllerAmongSeveral_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("connected");
    QTest::addColumn<QString>("gone");
    QTest::newRow("one") << 1 << ""
                         << "";
    QTest::newRow("two") << 2 << " \\(1-1\\)"
                         << " \\(1-1, 0x[0-9A-F]+\\)";
}

void TstControllers::connectLinesNameTheControllerAmongSeveral()
{
    QFETCH(int, count);
    QFETCH(QString, connected);
    QFETCH(QString, gone);
    Rig rig(count);
    QTRY_VERIFY(rig.w.isConnected());
    rig.w.read();
    QTRY_VERIFY(!rig.w.findSubWindow(QStringLiteral("Прочитать")));
    rig.options.link.simulators[0]->unplug();
    QTRY_VERIFY(!rig.w.isConnected());
    // Each line after its time and "-> ", ending with what names the controller.
    QVERIFY(rig.logged("-> Контроллер VELK K-330S подключен к шине USB" + connected + '$'));
    QVERIFY(rig.logged("-> Контроллер VELK K-330. отключен от шины USB" + gone + '$'));
}

QTEST_MAIN(TstControllers)
#include "tst_controllers.moc"
