// Main window: program log and its file copy, recent files, actions, connection state,
// resources, access codes, closing.

#include "k440fixture.h"

#include "app/about.h"
#include "app/service.h"
#include "app/startup.h"
#include "device/tthread.h"

#include <QAction>
#include <QDockWidget>
#include <QFrame>
#include <QIcon>
#include <QKeySequence>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPixmap>
#include <QPointer>
#include <QRegularExpression>
#include <QSettings>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <QTreeWidget>

class TstK440 : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void logNewestFirst();
    void logFileOldestFirst();
    void startOptions();
    void recentFiles();
    void recentFilesEmpty();
    void actions_data();
    void actions();
    void menus();
    void toolBarsAndSizes();
    void connState_data();
    void connState();
    void resources_data();
    void resources();
    void accessCodes_data();
    void accessCodes();
    void dialogForms();
    void closeClosesPages();
    void closeRefused();

private:
    QAction *act(const char *name) const
    {
        return w->findChild<QAction *>(QString::fromLatin1(name));
    }
    QPointer<TestK440> w;
    QTemporaryDir tmp;
};

void TstK440::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    initApplication();
    QVERIFY(tmp.isValid());
}

void TstK440::init()
{
    QSettings().remove(QStringLiteral("recentFileList"));
    w = new TestK440;
}

void TstK440::cleanup()
{
    delete w.data();
}

void TstK440::logNewestFirst()
{
    emit w->mes(QStringLiteral("первая"));
    w->log(QStringLiteral("вторая"));
    const QStringList lines = w->logLines();
    QVERIFY(lines.size() >= 2);
    static const QRegularExpression format(QStringLiteral("^\\d\\d:\\d\\d:\\d\\d-> (.*)$"));
    const auto first = format.match(lines[0]);
    const auto second = format.match(lines[1]);
    QVERIFY2(first.hasMatch(), qPrintable(lines[0]));
    QVERIFY2(second.hasMatch(), qPrintable(lines[1]));
    QCOMPARE(first.captured(1), QStringLiteral("вторая"));
    QCOMPARE(second.captured(1), QStringLiteral("первая"));
}

void TstK440::logFileOldestFirst()
{
    const QString name = tmp.filePath(QStringLiteral("log.txt"));
    QVERIFY(w->setLogFile(name));
    const QStringList messages = {QStringLiteral("один"), QStringLiteral("два"),
                                  QStringLiteral("Загружена конфигурация контроллера K-330RB")};
    for (const QString &m : messages)
        w->log(m);

    QFile f(name);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QStringList fileLines =
        QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(fileLines.size(), messages.size());
    for (int i = 0; i < messages.size(); ++i)
        QVERIFY2(fileLines[i].endsWith(QStringLiteral("-> ") + messages[i]),
                 qPrintable(fileLines[i]));
    // Exactly the dock's lines, in the opposite order.
    const QStringList dock = w->logLines().mid(0, messages.size());
    QStringList reversed(dock.rbegin(), dock.rend());
    QCOMPARE(fileLines, reversed);

    QVERIFY(!w->setLogFile(tmp.filePath(QStringLiteral("no/such/dir/log.txt"))));

    // Given at construction, as the command line does: later windows append to the same file.
    {
        K440 second(name);
        QVERIFY(second.hasLogFile());
        second.log(QStringLiteral("четыре"));
    }
    QFile again(name);
    QVERIFY(again.open(QIODevice::ReadOnly));
    const QStringList all =
        QString::fromUtf8(again.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QVERIFY(all.size() >= 4);
    QCOMPARE(all.mid(0, 3), fileLines);
    QVERIFY(all.last().endsWith(QStringLiteral("-> четыре")));
}

void TstK440::startOptions()
{
    const StartOptions withLog = parseStartOptions(
        {QStringLiteral("k330-terminal"), QStringLiteral("--log"), QStringLiteral("/x/y.log")});
    QCOMPARE(withLog.logFile, QStringLiteral("/x/y.log"));
    QVERIFY(parseStartOptions({QStringLiteral("k330-terminal")}).logFile.isEmpty());
    QCOMPARE(QCoreApplication::applicationVersion().left(3), QStringLiteral("2.1"));
    QCOMPARE(QCoreApplication::organizationName(), QStringLiteral("OOO VELK"));
    QCOMPARE(QCoreApplication::applicationName(), QStringLiteral("Terminal K-330S"));
}

void TstK440::recentFiles()
{
    const QString dir = tmp.path() + QStringLiteral("/cfg/");
    for (int i = 1; i <= 6; ++i)
        w->setCurrentFile(dir + QStringLiteral("f%1.mcd").arg(i));
    auto texts = [this] {
        QStringList out;
        for (int i = 0; i < K440::MaxRecentFiles; ++i) {
            QAction *a = act(qPrintable(QStringLiteral("recentFileAct%1").arg(i)));
            if (a->isVisible())
                out << a->text() + QLatin1Char('|') + a->data().toString();
        }
        return out;
    };
    QStringList expected;
    for (int i = 6, pos = 1; i >= 2; --i, ++pos)
        expected << QStringLiteral("&%1 f%2.mcd|%3f%2.mcd").arg(pos).arg(i).arg(dir);
    QCOMPARE(texts(), expected);
    QVERIFY(act("separatorAct")->isVisible());

    // Re-opening a listed file moves it to the front without a duplicate.
    w->setCurrentFile(dir + QStringLiteral("f3.mcd"));
    const QStringList stored = QSettings().value(QStringLiteral("recentFileList")).toStringList();
    QCOMPARE(stored,
             QStringList(
                 {dir + "f3.mcd", dir + "f6.mcd", dir + "f5.mcd", dir + "f4.mcd", dir + "f2.mcd"}));
    QCOMPARE(texts().first(), QStringLiteral("&1 f3.mcd|%1f3.mcd").arg(dir));
    QCOMPARE(texts().last(), QStringLiteral("&5 f2.mcd|%1f2.mcd").arg(dir));

    // A new window reads the same list.
    delete w.data();
    w = new TestK440;
    QCOMPARE(texts().size(), 5);
    QCOMPARE(w->strippedName(QStringLiteral("/a/b/c.mcd")), QStringLiteral("c.mcd"));
}

void TstK440::recentFilesEmpty()
{
    for (int i = 0; i < K440::MaxRecentFiles; ++i)
        QVERIFY(!act(qPrintable(QStringLiteral("recentFileAct%1").arg(i)))->isVisible());
    QVERIFY(!act("separatorAct")->isVisible());
    w->setCurrentFile(tmp.filePath(QStringLiteral("one.mcd")));
    QVERIFY(act("recentFileAct0")->isVisible());
    QVERIFY(!act("recentFileAct1")->isVisible());
    QVERIFY(act("separatorAct")->isVisible());
}

void TstK440::actions_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("key"); // QKeySequence::StandardKey, or -1 for none
    QTest::addColumn<QString>("ownKey"); // a key the action has beyond the standard ones
    QTest::addColumn<QString>("tip");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<QString>("icon"); // resource name under ":/images/", or empty

    auto row = [](const char *name, const char *text, int key, const char *tip, bool enabled,
                  const char *icon, const char *ownKey = "") {
        QTest::newRow(name) << QString::fromLatin1(name) << QString::fromUtf8(text) << key
                            << QString::fromLatin1(ownKey) << QString::fromUtf8(tip) << enabled
                            << QString::fromLatin1(icon);
    };
    row("newAct", "&Создать", QKeySequence::New, "Cоздать файл конфигурации устройства", true,
        "page.png");
    row("openAct", "&Открыть", QKeySequence::Open, "Открыть файл конфигурации устройства", true,
        "open.png");
    row("saveAct", "&Сохранить", QKeySequence::Save, "Сохранить файл конфигурации устройства",
        false, "save.png");
    row("saveAsAct", "&Сохранить как", QKeySequence::SaveAs,
        "Сохранить файл конфигурации устройства как...", false, "save_as.png", "Ctrl+Shift+S");
    row("closeAct", "&Закрыть...", QKeySequence::Close, "Закрыть файл конфигурации устройства",
        false, "");
    row("exitAct", "&Выход", QKeySequence::Quit, "Выйти из программы", true, "");
    row("readAct", "&Прочитать", -1, "Прочитать конфигурацию из устройства", false, "read.bmp",
        "Ctrl+R");
    row("writeAct", "&Записать", -1, "Записать конфигурацию в устройство", false, "write.bmp",
        "Ctrl+Shift+W");
    row("loadAct", "&Загрузить ПО", -1, "Обновить программу устройства", false, "load.png",
        "Ctrl+L");
    row("userAct", "&Пользовательский", -1, "Установить пользовательский режим", true, "");
    row("serviceAct", "&Сервис", -1, "Установить сервисный режим", true, "service.bmp");
    row("aboutAct", "&О программе", -1, "Информация о версии программы", true, "");
    row("closeWinAct", "&Закрыть", -1, "Закрыть активное окно", true, "");
    row("closeAllAct", "Закрыть &все", -1, "Закрыть все окна", true, "");
    row("tileAct", "&Развернуть", -1, "Развернуть все окна", true, "");
    row("cascadeAct", "&Каскадом", -1, "Каскад окон", true, "");
}

void TstK440::actions()
{
    QFETCH(QString, name);
    QFETCH(QString, text);
    QFETCH(int, key);
    QFETCH(QString, ownKey);
    QFETCH(QString, tip);
    QFETCH(bool, enabled);
    QFETCH(QString, icon);
    QAction *a = act(qPrintable(name));
    QVERIFY(a);
    QCOMPARE(a->text(), text);
    QCOMPARE(a->statusTip(), tip);
    QCOMPARE(a->isEnabled(), enabled);
    QCOMPARE(!a->icon().isNull(), !icon.isEmpty());
    if (!icon.isEmpty())
        QVERIFY(a->icon().pixmap(16, 16).toImage()
                == QIcon(QStringLiteral(":/images/") + icon).pixmap(16, 16).toImage());
    // The standard keys first, then the action's own one (once, should the desktop have it).
    QList<QKeySequence> keys;
    if (key >= 0)
        keys = QKeySequence::keyBindings(QKeySequence::StandardKey(key));
    if (!ownKey.isEmpty() && !keys.contains(QKeySequence(ownKey)))
        keys << QKeySequence(ownKey);
    QCOMPARE(a->shortcuts(), keys);
    QCOMPARE(a->isCheckable(), name == QLatin1String("userAct"));
}

void TstK440::menus()
{
    QStringList titles;
    for (QAction *a : w->menuBar()->actions())
        titles << (a->isSeparator() ? QStringLiteral("|") : a->text());
    QCOMPARE(titles,
             QStringList({"&Файл", "|", "&Задачи", "|", "&Опции", "|", "Ок&но", "|", "&Справка"}));
    auto entries = [this](int index) {
        QStringList out;
        QMenu *menu = w->menuBar()->actions().at(index)->menu();
        for (QAction *a : menu->actions())
            out << (a->isSeparator() ? QStringLiteral("|") : a->objectName());
        return out;
    };
    QCOMPARE(entries(0),
             QStringList({"newAct", "openAct", "|", "saveAct", "saveAsAct", "journalAct", "|",
                          "recentFileAct0", "recentFileAct1", "recentFileAct2", "recentFileAct3",
                          "recentFileAct4", "|", "restoreAct", "closeAct", "exitAct"}));
    QCOMPARE(entries(2), QStringList({"readAct", "writeAct", "|", "loadAct"}));
    QCOMPARE(entries(4),
             QStringList({"userAct", "serviceAct", "|", "backupAct", "recordsServerAct"}));
    QCOMPARE(entries(6),
             QStringList(
                 {"closeWinAct", "closeAllAct", "|", "tileAct", "cascadeAct", "|", "logDockAct"}));
    QCOMPARE(entries(8), QStringList({"aboutAct"}));
    QVERIFY(act("userAct")->isChecked());

    auto *logDock = w->findChild<QDockWidget *>(QStringLiteral("logDock"));
    QVERIFY(logDock);
    QCOMPARE(logDock->windowTitle(), QStringLiteral("Лог программы"));
    QCOMPARE(w->dockWidgetArea(logDock), Qt::BottomDockWidgetArea);
    QVERIFY(w->findChild<QPlainTextEdit *>(QStringLiteral("logEdit"))->isReadOnly());
    QCOMPARE(w->windowTitle(), QStringLiteral("Терминал контроллеров системы К-330С"));
    QCOMPARE(w->size(), QSize(800, 600));
    QCOMPARE(w->minimumSize(), QSize(150, 200));
    QVERIFY(!w->deviceTree());
    QVERIFY(!w->deviceDock());
    QCOMPARE(w->currentMode(), 1);
    QCOMPARE(w->workerThread()->currentMode(), 1);
}

void TstK440::toolBarsAndSizes()
{
    QStringList bars;
    for (QToolBar *bar : w->findChildren<QToolBar *>()) {
        QStringList entries;
        for (QAction *a : bar->actions())
            entries << a->objectName();
        bars << bar->windowTitle() + QLatin1Char(':') + entries.join(QLatin1Char(','));
    }
    QCOMPARE(
        bars,
        QStringList({"Файл:newAct,openAct,saveAct,saveAsAct", "Задачи:readAct,writeAct,loadAct"}));

    QVERIFY(w->windowIcon().pixmap(32, 32).toImage()
            == QIcon(QStringLiteral(":/images/chip.ico")).pixmap(32, 32).toImage());
    auto *logDock = w->findChild<QDockWidget *>(QStringLiteral("logDock"));
    QCOMPARE(logDock->allowedAreas(),
             Qt::LeftDockWidgetArea | Qt::RightDockWidgetArea | Qt::BottomDockWidgetArea);
    QCOMPARE(w->mdi()->horizontalScrollBarPolicy(), Qt::ScrollBarAsNeeded);
    QCOMPARE(w->mdi()->verticalScrollBarPolicy(), Qt::ScrollBarAsNeeded);

    // The log keeps its width and asks for 80 pixels; the tree keeps its height and asks for 190.
    auto *logEdit = w->findChild<QPlainTextEdit *>(QStringLiteral("logEdit"));
    logEdit->resize(333, 222);
    QCOMPARE(logEdit->sizeHint(), QSize(333, 80));
    w->showImage(TK440::ModelRA);
    w->deviceTree()->resize(111, 444);
    QCOMPARE(w->deviceTree()->sizeHint(), QSize(190, 444));
    QCOMPARE(w->deviceDock()->allowedAreas(),
             Qt::LeftDockWidgetArea | Qt::RightDockWidgetArea | Qt::BottomDockWidgetArea);
    // Every entry has a mnemonic, the tree's whatever the dock's title becomes.
    w->closeImage();
    w->showImage(TK440::ModelRB);
    const QStringList faults = mnemonicFaults(w->menuBar(), {"", "Ок&но", "&Справка"});
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join('\n')));
}

void TstK440::connState_data()
{
    QTest::addColumn<bool>("withImage");
    QTest::addColumn<bool>("connectedState");
    QTest::addColumn<bool>("readEnabled");
    QTest::addColumn<bool>("writeEnabled");
    QTest::newRow("connected, no image") << false << true << true << false;
    QTest::newRow("connected, image") << true << true << true << true;
    QTest::newRow("disconnected, image") << true << false << false << false;
    QTest::newRow("disconnected, no image") << false << false << false << false;
}

void TstK440::connState()
{
    QFETCH(bool, withImage);
    QFETCH(bool, connectedState);
    QFETCH(bool, readEnabled);
    QFETCH(bool, writeEnabled);
    if (withImage) {
        w->showImage(TK440::ModelRA);
        w->conn(false);
        QVERIFY(!act("writeAct")->isEnabled());
    }
    w->conn(!connectedState);
    w->conn(connectedState);
    QCOMPARE(w->isConnected(), connectedState);
    QCOMPARE(act("readAct")->isEnabled(), readEnabled);
    QCOMPARE(act("writeAct")->isEnabled(), writeEnabled);
}

void TstK440::resources_data()
{
    QTest::addColumn<QString>("name");
    for (const char *n :
         {"chip.ico",    "page.png",     "open.png",    "save.png",     "save_as.png",
          "read.bmp",    "write.bmp",    "load.png",    "service.bmp",  "task.bmp",
          "device.png",  "radio.png",    "mic.png",     "transmit.png", "cast.png",
          "connect.png", "compress.png", "sound.png",   "recorder.png", "link.png",
          "monitor.png", "report.png",   "picture.png", "channel.png",  "trace.png",
          "info.png",    "velk.jpg"})
        QTest::newRow(n) << QStringLiteral(":/images/") + QLatin1String(n);
}

void TstK440::resources()
{
    QFETCH(QString, name);
    QVERIFY2(!QPixmap(name).isNull(), qPrintable(name));
}

void TstK440::accessCodes_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<int>("mode");
    QTest::newRow("user") << "Opal_Cobalts" << 1;
    QTest::newRow("firmware") << "Jade_Cobalts" << 2;
    QTest::newRow("information") << "Amber_Cobalts" << 3;
    QTest::newRow("modem") << "Topaz_Cobalts" << 4;
    QTest::newRow("trace") << "Coral_Cobalts" << 5;
    QTest::newRow("vocoder") << "Peridot_Cobalts" << 6;
    QTest::newRow("all") << "Ruby_Cobalts" << 10;
    QTest::newRow("trailing blank") << "Ruby_Cobalts " << 0;
    QTest::newRow("leading blank") << " Jade_Cobalts" << 0;
    QTest::newRow("lower case") << "ruby_cobalts" << 0;
    QTest::newRow("upper case") << "OPAL_COBALTS" << 0;
    QTest::newRow("empty") << "" << 0;
    QTest::newRow("prefix") << "Ruby" << 0;
}

void TstK440::accessCodes()
{
    QFETCH(QString, code);
    QFETCH(int, mode);
    QCOMPARE(Service::modeForCode(code), mode);

    // The dialog itself: "Ввод" accepts a known code and rejects anything else.
    auto *dialog = new Service(w);
    QCOMPARE(dialog->windowTitle(), QStringLiteral("Выбор сервисного режима"));
    auto *edit = dialog->findChild<QLineEdit *>(QStringLiteral("eCode"));
    QVERIFY(edit);
    QCOMPARE(edit->maxLength(), 32);
    edit->setText(code);
    dialog->findChild<QPushButton *>(QStringLiteral("bSet"))->click();
    QCOMPARE(dialog->result(), mode ? int(QDialog::Accepted) : int(QDialog::Rejected));
    QCOMPARE(dialog->chosenMode(), mode);
    delete dialog;
}

void TstK440::dialogForms()
{
    auto texts = [](QWidget *form) {
        QStringList out;
        for (QLabel *l : form->findChildren<QLabel *>())
            if (!l->text().isEmpty())
                out << l->text();
        for (QPushButton *b : form->findChildren<QPushButton *>())
            out << b->objectName() + QLatin1Char('=') + b->text();
        return out;
    };
    auto hasLine = [](QWidget *form) {
        for (QFrame *f : form->findChildren<QFrame *>())
            if (f->frameShape() == QFrame::HLine)
                return true;
        return false;
    };

    QPointer<Service> service = new Service(w);
    QCOMPARE(service->objectName(), QStringLiteral("ServiceClass"));
    QCOMPARE(service->parentWidget(), w.data());
    QVERIFY(service->testAttribute(Qt::WA_DeleteOnClose));
    QCOMPARE(service->windowModality(), Qt::ApplicationModal);
    QCOMPARE(service->size(), QSize(280, 110));
    QCOMPARE(texts(service), QStringList({"Сервисный код", "bSet=Ввод", "bClose=Закрыть"}));
    QVERIFY(hasLine(service));
    delete service.data();

    QPointer<About> about = new About(w, 0x0A0B);
    QCOMPARE(about->objectName(), QStringLiteral("AboutClass"));
    QVERIFY(about->testAttribute(Qt::WA_DeleteOnClose));
    QCOMPARE(about->windowModality(), Qt::NonModal);
    QCOMPARE(about->size(), QSize(400, 150));
    QCOMPARE(about->minimumSize(), QSize(400, 150));
    QCOMPARE(about->maximumSize(), QSize(400, 280));
    // High byte, a point, low byte, both in decimal.
    QCOMPARE(texts(about),
             QStringList(
                 {"Терминал контроллеров системы К-330С", "Версия:", "10.11", "bClose=Закрыть"}));
    QVERIFY(hasLine(about));
    QSignalSpy closing(about.data(), &About::reqClose);
    about->setWindowTitle(QStringLiteral("О программе"));
    about->findChild<QPushButton *>(QStringLiteral("bClose"))->click();
    QCOMPARE(closing.size(), 1);
    QCOMPARE(closing[0][0].toString(), QStringLiteral("О программе"));
    QCOMPARE(closing[0][1].toBool(), false);
    delete about.data();
}

void TstK440::closeClosesPages()
{
    w->showImage(TK440::ModelRA);
    auto *page = new FakeWindow;
    QPointer<QMdiSubWindow> sub = w->mdi()->addSubWindow(page);
    page->show();
    QVERIFY(w->close());
    // The window deletes itself on close; the sub-window goes with it.
    QTRY_VERIFY(w.isNull());
    QVERIFY(sub.isNull());
}

void TstK440::closeRefused()
{
    // A sub-window that refuses to close keeps the main window open.
    class Stubborn : public QWidget
    {
    public:
        bool refuse = true;

    protected:
        void closeEvent(QCloseEvent *e) override
        {
            if (refuse)
                e->ignore();
        }
    };
    auto *stubborn = new Stubborn;
    w->mdi()->addSubWindow(stubborn);
    stubborn->show();
    QVERIFY(!w->close());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!w.isNull());
    QCOMPARE(w->mdi()->subWindowList().size(), 1);
    stubborn->refuse = false;
}

QTEST_MAIN(TstK440)
#include "tst_k440.moc"
