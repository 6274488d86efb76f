// Main window: device tree, one window per title, adopting or dropping a window's result,
// the read and firmware tasks, operating modes, the About window.

#include "k440fixture.h"

#include "app/builtinwindows.h"
#include "app/service.h"
#include "app/startup.h"
#include "config/sections.h"
#include "config/widgets/windowregistry.h"
#include "device/tthread.h"
#include "pages/builtinpages.h"

#include <QAction>
#include <QDockWidget>
#include <QElapsedTimer>
#include <QHash>
#include <QIcon>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>

namespace {
const QString Voc = QStringLiteral("Вокодер");
const QString ReadName = QStringLiteral("Прочитать");
const QString LoadName = QStringLiteral("Загрузить ПО");
const QString WriteName = QStringLiteral("Записать");

const QStringList baseRA = {
    "Задачи",
    "  Прочитать",
    "  Записать",
    "Устройства",
    "  Радиостанция",
    "    Вход микрофона",
    "    Выход приемника",
    "    Выход гарнитуры",
    "    Выход аксессуарный",
    "  Вокодер",
    "  Усилитель НЧ",
    "  Регистратор",
    "  Модем",
    "    Соединение",
    "Монитор",
    "  Статистика",
    "  Созвездие",
    "  Сигнал АЦП",
    "  Сигнал ЦАП",
    "Информация",
};

void insertAll(QStringList &t, qsizetype at, const QStringList &items)
{
    for (qsizetype i = 0; i < items.size(); ++i)
        t.insert(at + i, items[i]);
}

QStringList withMode10(QStringList t)
{
    t.insert(t.indexOf("  Записать") + 1, "  Загрузить ПО");
    insertAll(t, t.indexOf("    Соединение") + 1,
              {"    Кодек", "    Входной усилитель", "    Выходной усилитель", "    Протокол"});
    insertAll(t, t.indexOf("  Сигнал ЦАП") + 1, {"  Канал 3", "  Канал 4", "  Трассировка"});
    return t;
}

QStringList rbOf(QStringList t)
{
    const int at = t.indexOf("    Вход микрофона");
    t.remove(at, 4);
    insertAll(t, at, {"    Вход приемника", "    Выход микрофона"});
    t.removeAll("  Усилитель НЧ");
    return t;
}
} // namespace

class TstK440Windows : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void tree_data();
    void tree();
    void treeIcons_data();
    void treeIcons();
    void unknownModel();
    void groupsOpenNothing();
    void oneWindowPerTitle();
    void keepCopiesOnlySections_data();
    void keepCopiesOnlySections();
    void unregisteredPageOpensNothing();
    void pageNeedsImage();
    void readAdoptsOnlyOnKeep();
    void readClosedOtherwiseAdoptsNothing_data();
    void readClosedOtherwiseAdoptsNothing();
    void readAskNo();
    void readAgainAfterCancel();
    void readCountsAsOpen_data();
    void readCountsAsOpen();
    void shutDuringRead();
    void statusMessages_data();
    void statusMessages();
    void readNeedsConnection();
    void firmware();
    void firmwareErrors();
    void modeSwitch();
    void modeRejected_data();
    void modeRejected();
    void userInUserMode();
    void modeWithoutImage();
    void closeImageClears();
    void about();
    void closedDocksComeBack();

private:
    QAction *act(const char *name) const
    {
        return w->findChild<QAction *>(QString::fromLatin1(name));
    }
    // Runs the service dialog through the main window with the given code.
    void enterCode(const QString &code)
    {
        w->answers->onDialog = [code](QDialog *d) {
            d->findChild<QLineEdit *>(QStringLiteral("eCode"))->setText(code);
            d->findChild<QPushButton *>(QStringLiteral("bSet"))->click();
        };
        w->service();
    }
    QPointer<TestK440> w;
    QTemporaryDir tmp;
    // Last fake window created by a factory, and what it was given.
    static inline QPointer<FakeWindow> lastFake;
    static inline WindowContext lastCtx;
};

void TstK440Windows::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    initApplication();
    registerBuiltinPages();
    registerBuiltinWindows();
    // The vocoder page stands in as a test page: it writes 0xEE over the whole image it was
    // given, so that only the copying decides what reaches the document image.
    windowRegistry().replace(WindowId::Vocoder, [](const WindowContext &ctx) {
        auto *f = new FakeWindow(ctx.image);
        lastFake = f;
        return f;
    });
    auto fake = [](const WindowContext &ctx) {
        auto *f = new FakeWindow(ctx.image);
        f->firmware = ctx.firmware;
        lastFake = f;
        lastCtx = ctx;
        return f;
    };
    windowRegistry().replace(WindowId::Read, fake);
    windowRegistry().replace(WindowId::Load, fake);
    windowRegistry().replace(WindowId::Write, fake);
    windowRegistry().replace(WindowId::Statistics, fake);
}

void TstK440Windows::init()
{
    w = new TestK440;
    lastFake = nullptr;
    lastCtx = {};
}

void TstK440Windows::cleanup()
{
    delete w.data();
}

void TstK440Windows::tree_data()
{
    QTest::addColumn<int>("model");
    QTest::addColumn<int>("mode");
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<QString>("title");
    QTest::newRow("RA mode 1") << int(TK440::ModelRA) << 1 << baseRA << " K-330RA";
    QTest::newRow("RB mode 1") << int(TK440::ModelRB) << 1 << rbOf(baseRA) << " K-330RB";
    QTest::newRow("RA mode 10") << int(TK440::ModelRA) << 10 << withMode10(baseRA) << " K-330RA";
    QTest::newRow("RB mode 10") << int(TK440::ModelRB) << 10 << withMode10(rbOf(baseRA))
                                << " K-330RB";
    QStringList m2 = baseRA;
    m2.insert(3, "  Загрузить ПО");
    QTest::newRow("RA mode 2") << int(TK440::ModelRA) << 2 << m2 << " K-330RA";
    QStringList m5 = baseRA;
    m5.insert(m5.indexOf("  Сигнал ЦАП") + 1, "  Трассировка");
    QTest::newRow("RA mode 5") << int(TK440::ModelRA) << 5 << m5 << " K-330RA";
    QTest::newRow("RA mode 3") << int(TK440::ModelRA) << 3 << baseRA << " K-330RA";
    QStringList m4 = rbOf(baseRA);
    insertAll(m4, m4.indexOf("    Соединение") + 1,
              {"    Кодек", "    Входной усилитель", "    Выходной усилитель", "    Протокол"});
    QTest::newRow("RB mode 4") << int(TK440::ModelRB) << 4 << m4 << " K-330RB";
    QTest::newRow("RB mode 6") << int(TK440::ModelRB) << 6 << rbOf(baseRA) << " K-330RB";
}

void TstK440Windows::tree()
{
    QFETCH(int, model);
    QFETCH(int, mode);
    QFETCH(QStringList, texts);
    QFETCH(QString, title);
    w->showImage(quint16(model));
    if (mode != 1) {
        const QStringList codes = {"",
                                   "Opal_Cobalts",
                                   "Jade_Cobalts",
                                   "Amber_Cobalts",
                                   "Topaz_Cobalts",
                                   "Coral_Cobalts",
                                   "Peridot_Cobalts",
                                   "",
                                   "",
                                   "",
                                   "Ruby_Cobalts"};
        enterCode(codes[mode]);
    }
    QCOMPARE(w->currentMode(), mode);
    QVERIFY(w->deviceTree());
    QCOMPARE(treeTexts(w->deviceTree()), texts);
    QCOMPARE(w->deviceDock()->windowTitle(), title);
    QVERIFY(w->deviceTree()->isHeaderHidden());
    QCOMPARE(w->dockWidgetArea(w->deviceDock()), Qt::LeftDockWidgetArea);
    QCOMPARE(act("loadAct")->isEnabled(), mode == 2 || mode == 10);
    QVERIFY(act("saveAct")->isEnabled());
    QVERIFY(act("saveAsAct")->isEnabled());
    QVERIFY(act("writeAct")->isEnabled());
    QCOMPARE(act("userAct")->isChecked(), mode == 1);
    const QString logged = model == TK440::ModelRA
        ? QStringLiteral("Загружена конфигурация контроллера K-330RA")
        : QStringLiteral("Загружена конфигурация контроллера K-330RB");
    QVERIFY(w->logLines().first().endsWith(QStringLiteral("-> ") + logged));
}

void TstK440Windows::treeIcons_data()
{
    QTest::addColumn<int>("model");
    QTest::newRow("RA") << int(TK440::ModelRA);
    QTest::newRow("RB") << int(TK440::ModelRB);
}

void TstK440Windows::treeIcons()
{
    QFETCH(int, model);
    // Every item of the fullest tree, with its icon resource; the modem's internal blocks have
    // none.
    const QHash<QString, QString> icons = {
        {"Задачи", "task.bmp"},
        {"Прочитать", "read.bmp"},
        {"Записать", "write.bmp"},
        {"Загрузить ПО", "load.png"},
        {"Устройства", "device.png"},
        {"Радиостанция", "radio.png"},
        {"Вход микрофона", "mic.png"},
        {"Выход приемника", "transmit.png"},
        {"Выход гарнитуры", "cast.png"},
        {"Выход аксессуарный", "connect.png"},
        {"Вход приемника", "transmit.png"},
        {"Выход микрофона", "mic.png"},
        {"Вокодер", "compress.png"},
        {"Усилитель НЧ", "sound.png"},
        {"Регистратор", "recorder.png"},
        {"Модем", "connect.png"},
        {"Соединение", "link.png"},
        {"Кодек", ""},
        {"Входной усилитель", ""},
        {"Выходной усилитель", ""},
        {"Протокол", ""},
        {"Монитор", "monitor.png"},
        {"Статистика", "report.png"},
        {"Созвездие", "picture.png"},
        {"Сигнал АЦП", "channel.png"},
        {"Сигнал ЦАП", "channel.png"},
        {"Канал 3", "channel.png"},
        {"Канал 4", "channel.png"},
        {"Трассировка", "trace.png"},
        {"Информация", "info.png"},
    };
    w->showImage(quint16(model));
    enterCode(QStringLiteral("Ruby_Cobalts"));
    int seen = 0;
    std::function<void(QTreeWidgetItem *)> check = [&](QTreeWidgetItem *item) {
        ++seen;
        const QString text = item->text(0);
        QVERIFY2(icons.contains(text), qPrintable(text));
        const QString icon = icons.value(text);
        if (icon.isEmpty()) {
            QVERIFY2(item->icon(0).isNull(), qPrintable(text));
        } else {
            const QImage expected =
                QIcon(QStringLiteral(":/images/") + icon).pixmap(16, 16).toImage();
            QVERIFY2(!item->icon(0).isNull(), qPrintable(text));
            QVERIFY2(item->icon(0).pixmap(16, 16).toImage() == expected, qPrintable(text));
        }
        for (int i = 0; i < item->childCount(); ++i)
            check(item->child(i));
    };
    for (int i = 0; i < w->deviceTree()->topLevelItemCount(); ++i)
        check(w->deviceTree()->topLevelItem(i));
    QCOMPARE(seen, treeTexts(w->deviceTree()).size());
    QVERIFY(seen > 20);
}

void TstK440Windows::unknownModel()
{
    w->showImage(0x0302);
    QVERIFY(!w->documentImage());
    QVERIFY(w->logLines().first().endsWith(QStringLiteral("-> Модель контроллера не определена")));
    QVERIFY(!act("saveAct")->isEnabled());
    QVERIFY(!w->deviceTree());
}

void TstK440Windows::groupsOpenNothing()
{
    w->showImage(TK440::ModelRA);
    for (const char *g : {"Задачи", "Устройства", "Радиостанция", "Модем", "Монитор", "Нечто"})
        w->openWin(QString::fromUtf8(g));
    QVERIFY(w->mdi()->subWindowList().isEmpty());
}

void TstK440Windows::oneWindowPerTitle()
{
    w->showImage(TK440::ModelRA);
    w->openWin(QStringLiteral("Статистика"));
    QTreeWidgetItem *voc = w->deviceTree()->findItems(Voc, Qt::MatchRecursive).value(0);
    QVERIFY(voc);
    w->openItem(voc, 0);
    QCOMPARE(w->mdi()->subWindowList().size(), 2);
    QMdiSubWindow *vocSub = w->findSubWindow(Voc);
    QVERIFY(vocSub);
    QCOMPARE(w->mdi()->currentSubWindow(), vocSub);
    w->openWin(QStringLiteral("Статистика"));
    QCOMPARE(w->mdi()->currentSubWindow(), w->findSubWindow(QStringLiteral("Статистика")));
    // A second activation only brings it forward; another column does nothing.
    w->openItem(voc, 0);
    w->openItem(voc, 1);
    QCOMPARE(w->mdi()->subWindowList().size(), 2);
    QCOMPARE(w->mdi()->currentSubWindow(), vocSub);
    QCOMPARE(vocSub->widget()->windowTitle(), Voc);
}

void TstK440Windows::keepCopiesOnlySections_data()
{
    QTest::addColumn<bool>("keep");
    QTest::newRow("Сохранить") << true;
    QTest::newRow("Закрыть") << false;
}

void TstK440Windows::keepCopiesOnlySections()
{
    QFETCH(bool, keep);
    w->showImage(TK440::ModelRA, 0x11);
    // A stale edit in the working copy is replaced by the document's bytes when the page opens.
    w->workingCopy()->b[130] = 0x55;
    w->openWin(Voc);
    QVERIFY(lastFake);
    QCOMPARE(lastFake->img, w->workingCopy());
    QCOMPARE(w->workingCopy()->b[130], quint8(0x11));

    std::memset(lastFake->img->b, 0xEE, TK440::Size);
    const QByteArray before(w->documentImage()->data(), TK440::Size);
    lastFake->finish(keep);
    QTRY_VERIFY(lastFake.isNull());
    QVERIFY(!w->findSubWindow(Voc));

    const QByteArray after(w->documentImage()->data(), TK440::Size);
    for (int i = 0; i < TK440::Size; ++i) {
        const bool inSection = (i >= 128 && i < 144);
        const char expected = keep && inSection ? char(0xEE) : before[i];
        QVERIFY2(after[i] == expected, qPrintable(QStringLiteral("byte %1").arg(i)));
    }
}

void TstK440Windows::unregisteredPageOpensNothing()
{
    w->showImage(TK440::ModelRA);
    QString name;
    for (const char *n : {"Протокол", "Соединение", "Регистратор", "Выход гарнитуры",
                          "Выход аксессуарный", "Входной усилитель", "Выходной усилитель"}) {
        if (!windowRegistry().contains(findWindow(QString::fromUtf8(n))->id)) {
            name = QString::fromUtf8(n);
            break;
        }
    }
    if (name.isEmpty())
        QSKIP("every page class is registered");
    QVERIFY(isPageName(name));
    w->openWin(name);
    QVERIFY(w->mdi()->subWindowList().isEmpty());
}

void TstK440Windows::pageNeedsImage()
{
    // Without an open configuration there is nothing to copy from: no page opens.
    w->openWin(Voc);
    QVERIFY(w->mdi()->subWindowList().isEmpty());
    QVERIFY(lastFake.isNull());
}

void TstK440Windows::readAdoptsOnlyOnKeep()
{
    w->showImage(TK440::ModelRA, 0x22);
    w->conn(true);
    w->answers->yesNo = {true};
    w->read();
    QCOMPARE(w->answers->asked, QStringList({QStringLiteral("Закрыть текущее устройство")}));
    QVERIFY(lastFake);
    // The open configuration was closed when the read started; the read fills its own image.
    QVERIFY(!w->documentImage());
    QVERIFY(lastCtx.image);
    QCOMPARE(lastCtx.thread, w->workerThread());
    QCOMPARE(lastCtx.mode, 1);
    QCOMPARE(treeTexts(w->deviceTree()), QStringList());
    QCOMPARE(w->deviceDock()->windowTitle(), QString());

    std::memset(lastFake->img->b, 0x33, TK440::Size);
    lastFake->img->setWord(TK440::ModelOffset, TK440::ModelRB);
    lastFake->finish(true);
    QTRY_VERIFY(lastFake.isNull());
    QVERIFY(w->documentImage());
    QCOMPARE(w->documentImage()->model(), TK440::ModelRB);
    QCOMPARE(w->documentImage()->b[10], quint8(0x33));
    QCOMPARE(w->workingCopy()->b[10], quint8(0x33));
    QCOMPARE(w->deviceDock()->windowTitle(), QStringLiteral(" K-330RB"));
    QCOMPARE(treeTexts(w->deviceTree()), rbOf(baseRA));
    QCOMPARE(w->statusBar()->currentMessage(), QStringLiteral("Прочитана конфигурация"));
    QVERIFY(act("writeAct")->isEnabled());
}

void TstK440Windows::readClosedOtherwiseAdoptsNothing_data()
{
    QTest::addColumn<int>("how");
    QTest::newRow("reqClose false") << 0;
    QTest::newRow("frame") << 1;
    QTest::newRow("close all") << 2;
    QTest::newRow("mode switch") << 3;
}

void TstK440Windows::readClosedOtherwiseAdoptsNothing()
{
    QFETCH(int, how);
    w->conn(true);
    w->read();
    QVERIFY(lastFake);
    QPointer<FakeWindow> reader = lastFake;
    switch (how) {
    case 0:
        reader->finish(false);
        break;
    case 1:
        w->findSubWindow(ReadName)->close();
        break;
    case 2:
        act("closeAllAct")->trigger();
        break;
    case 3:
        enterCode(QStringLiteral("Jade_Cobalts"));
        break;
    }
    QTRY_VERIFY(reader.isNull());
    QVERIFY(!w->documentImage());
    // A late keep for a window that is gone adopts nothing.
    w->closeWin(ReadName, true);
    QVERIFY(!w->documentImage());
    QVERIFY(!act("writeAct")->isEnabled());
}

void TstK440Windows::readAskNo()
{
    w->showImage(TK440::ModelRA, 0x22);
    w->conn(true);
    w->answers->yesNo = {false};
    w->read();
    QVERIFY(lastFake.isNull());
    QVERIFY(w->documentImage());
    QCOMPARE(treeTexts(w->deviceTree()), baseRA);
}

void TstK440Windows::readAgainAfterCancel()
{
    // A new read started before the cancelled read window is gone keeps its own image.
    w->conn(true);
    w->read();
    QPointer<FakeWindow> first = lastFake;
    QVERIFY(first);
    first->finish(false);
    w->read();
    QPointer<FakeWindow> second = lastFake;
    QVERIFY(second && second != first);
    QTRY_VERIFY(first.isNull());
    std::memset(second->img->b, 0x66, TK440::Size);
    second->img->setWord(TK440::ModelOffset, TK440::ModelRB);
    second->finish(true);
    QVERIFY(w->documentImage());
    QCOMPARE(w->documentImage()->model(), TK440::ModelRB);
    QCOMPARE(w->documentImage()->b[20], quint8(0x66));
}

void TstK440Windows::readCountsAsOpen_data()
{
    QTest::addColumn<bool>("answer");
    QTest::newRow("&Да") << true;
    QTest::newRow("&Нет") << false;
}

void TstK440Windows::readCountsAsOpen()
{
    // While a read runs, its image is the configuration being opened: opening a file asks
    // first, and "&Да" closes the read window, so the read can no longer replace the file's
    // configuration or drop it.
    QFETCH(bool, answer);
    w->conn(true);
    w->read();
    QPointer<FakeWindow> reader = lastFake;
    QVERIFY(reader);
    QVERIFY(w->answers->asked.isEmpty());
    w->answers->yesNo = {answer};
    w->open(); // the file dialog is cancelled
    QCOMPARE(w->answers->asked, QStringList({QStringLiteral("Закрыть текущее устройство")}));
    if (answer) {
        QTRY_VERIFY(reader.isNull());
        QVERIFY(!w->findSubWindow(ReadName));
        w->closeWin(ReadName, true);
        QVERIFY(!w->documentImage());
    } else {
        QVERIFY(w->findSubWindow(ReadName));
        reader->img->setWord(TK440::ModelOffset, TK440::ModelRA);
        reader->finish(true);
        QVERIFY(w->documentImage());
        QCOMPARE(w->documentImage()->model(), TK440::ModelRA);
    }
}

void TstK440Windows::shutDuringRead()
{
    // "&Закрыть..." while a read runs closes the read window; a late keep adopts nothing.
    w->conn(true);
    w->read();
    QPointer<FakeWindow> reader = lastFake;
    QVERIFY(reader);
    QVERIFY(act("closeAct")->isEnabled());
    w->shut();
    QTRY_VERIFY(reader.isNull());
    QVERIFY(!act("closeAct")->isEnabled());
    QVERIFY(!w->findSubWindow(ReadName));
    w->closeWin(ReadName, true);
    QVERIFY(!w->documentImage());
    QVERIFY(!act("saveAct")->isEnabled());
}

void TstK440Windows::statusMessages_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("keep");
    QTest::addColumn<QString>("message");
    const QString read = QStringLiteral("Прочитана конфигурация");
    QTest::newRow("read kept") << ReadName << true << read;
    QTest::newRow("read dropped") << ReadName << false << QString();
    QTest::newRow("write kept") << WriteName << true << read;
    QTest::newRow("write dropped") << WriteName << false << QString();
    QTest::newRow("page kept") << Voc << true << QString();
    QTest::newRow("about") << QStringLiteral("О программе") << false << QString();
}

void TstK440Windows::statusMessages()
{
    QFETCH(QString, name);
    QFETCH(bool, keep);
    QFETCH(QString, message);
    w->showImage(TK440::ModelRA);
    w->conn(true);
    w->answers->yesNo = {true};
    w->openWin(name);
    QVERIFY(w->findSubWindow(name));
    if (name == ReadName)
        lastFake->img->setWord(TK440::ModelOffset, TK440::ModelRA);
    w->statusBar()->clearMessage();
    QElapsedTimer shown;
    shown.start();
    w->closeWin(name, keep);
    QCOMPARE(w->statusBar()->currentMessage(), message);
    QTRY_VERIFY(!w->findSubWindow(name));
    if (message.isEmpty())
        return;
    // The confirmation stays for two seconds.
    QTRY_VERIFY_WITH_TIMEOUT(w->statusBar()->currentMessage().isEmpty(), 8000);
    QVERIFY2(shown.elapsed() >= 1850, qPrintable(QString::number(shown.elapsed())));
}

void TstK440Windows::readNeedsConnection()
{
    w->showImage(TK440::ModelRA);
    w->read();
    w->write();
    QVERIFY(w->answers->asked.isEmpty());
    QVERIFY(w->mdi()->subWindowList().isEmpty());
    QVERIFY(w->documentImage());
}

void TstK440Windows::firmware()
{
    const QString name = tmp.filePath(QStringLiteral("fw.rom"));
    QFile f(name);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QByteArray bytes(5000, 0);
    for (int i = 0; i < bytes.size(); ++i)
        bytes[i] = char(i * 7);
    f.write(bytes);
    f.close();

    // Not connected and no configuration open: the firmware task does not need either.
    w->answers->openNames = {name};
    w->load();
    QVERIFY(lastFake);
    QCOMPARE(lastFake->firmware, bytes);
    QCOMPARE(w->firmwareSize(), 5000);
    QCOMPARE(lastFake->windowTitle(), LoadName);
    QVERIFY(w->answers->warnings.isEmpty());
}

void TstK440Windows::firmwareErrors()
{
    // Cancelled dialog: nothing.
    w->load();
    QVERIFY(lastFake.isNull());
    // A file that cannot be opened: the warning, no window.
    const QString missing = tmp.filePath(QStringLiteral("missing.rom"));
    w->answers->openNames = {missing};
    w->load();
    QVERIFY(lastFake.isNull());
    QCOMPARE(
        w->answers->warnings,
        QStringList({QStringLiteral("Файл ") + missing + QStringLiteral(" не удалось открыть.")}));
}

void TstK440Windows::modeSwitch()
{
    w->showImage(TK440::ModelRA, 0x44);
    w->conn(true);
    w->openWin(Voc);
    w->openWin(QStringLiteral("Статистика"));
    QCOMPARE(w->mdi()->subWindowList().size(), 2);
    // An edit not kept with "Сохранить" is lost by the switch.
    w->workingCopy()->b[130] = 0x99;
    QPointer<CDevTree> oldTree = w->deviceTree();

    enterCode(QStringLiteral("Ruby_Cobalts"));
    QCOMPARE(w->currentMode(), 10);
    QCOMPARE(w->workerThread()->currentMode(), 10);
    QTRY_VERIFY(w->mdi()->subWindowList().isEmpty());
    QTRY_VERIFY(oldTree.isNull());
    QCOMPARE(treeTexts(w->deviceTree()), withMode10(baseRA));
    QVERIFY(w->documentImage());
    QCOMPARE(w->documentImage()->b[130], quint8(0x44));
    QCOMPARE(w->workingCopy()->b[130], quint8(0x44));
    QVERIFY(act("loadAct")->isEnabled());
    QVERIFY(act("writeAct")->isEnabled());
    QVERIFY(!act("userAct")->isChecked());

    // The code of the current mode changes nothing and closes nothing.
    w->openWin(Voc);
    enterCode(QStringLiteral("Ruby_Cobalts"));
    QCOMPARE(w->mdi()->subWindowList().size(), 1);

    // "Opal_Cobalts" in mode 10 is the same as "&Пользовательский".
    enterCode(QStringLiteral("Opal_Cobalts"));
    QCOMPARE(w->currentMode(), 1);
    QCOMPARE(w->workerThread()->currentMode(), 1);
    QTRY_VERIFY(w->mdi()->subWindowList().isEmpty());
    QCOMPARE(treeTexts(w->deviceTree()), baseRA);
    QVERIFY(act("userAct")->isChecked());
    QVERIFY(!act("loadAct")->isEnabled());

    enterCode(QStringLiteral("Coral_Cobalts"));
    QCOMPARE(w->currentMode(), 5);
    act("userAct")->trigger();
    QCOMPARE(w->currentMode(), 1);
    QCOMPARE(treeTexts(w->deviceTree()), baseRA);
}

void TstK440Windows::modeRejected_data()
{
    QTest::addColumn<QString>("code");
    QTest::newRow("extra blank") << "Ruby_Cobalts ";
    QTest::newRow("letter case") << "RUBY_COBALTS";
    QTest::newRow("empty") << "";
}

void TstK440Windows::modeRejected()
{
    QFETCH(QString, code);
    w->showImage(TK440::ModelRA);
    w->openWin(Voc);
    enterCode(code);
    QCOMPARE(w->currentMode(), 1);
    QCOMPARE(w->workerThread()->currentMode(), 1);
    QCOMPARE(w->mdi()->subWindowList().size(), 1);
    QCOMPARE(treeTexts(w->deviceTree()), baseRA);

    // "Закрыть" in the dialog is a rejection as well.
    w->answers->onDialog = [](QDialog *d) {
        d->findChild<QLineEdit *>(QStringLiteral("eCode"))->setText(QStringLiteral("Ruby_Cobalts"));
        d->findChild<QPushButton *>(QStringLiteral("bClose"))->click();
    };
    w->service();
    QCOMPARE(w->currentMode(), 1);
}

void TstK440Windows::userInUserMode()
{
    w->showImage(TK440::ModelRA);
    w->openWin(Voc);
    act("userAct")->trigger();
    QVERIFY(act("userAct")->isChecked());
    QCOMPARE(w->mdi()->subWindowList().size(), 1);
}

void TstK440Windows::modeWithoutImage()
{
    enterCode(QStringLiteral("Jade_Cobalts"));
    QCOMPARE(w->currentMode(), 2);
    QVERIFY(!w->deviceTree());
    QVERIFY(!w->deviceDock());
    QVERIFY(act("loadAct")->isEnabled());
    QVERIFY(!act("saveAct")->isEnabled());
}

void TstK440Windows::closeImageClears()
{
    enterCode(QStringLiteral("Jade_Cobalts"));
    w->showImage(TK440::ModelRB);
    w->openWin(Voc);
    w->closeImage();
    QVERIFY(!w->documentImage());
    QTRY_VERIFY(w->mdi()->subWindowList().isEmpty());
    QCOMPARE(w->deviceTree()->topLevelItemCount(), 0);
    QCOMPARE(w->deviceDock()->windowTitle(), QString());
    for (const char *a : {"saveAct", "saveAsAct", "writeAct", "loadAct"})
        QVERIFY2(!act(a)->isEnabled(), a);
}

void TstK440Windows::about()
{
    w->showImage(TK440::ModelRA, 0x5A);
    const QByteArray before(w->documentImage()->data(), TK440::Size);
    act("aboutAct")->trigger();
    QMdiSubWindow *sub = w->findSubWindow(QStringLiteral("О программе"));
    QVERIFY(sub);
    // Its size is fixed: a close button, no minimise or maximise button.
    QCOMPARE(sub->windowFlags() & (Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint),
             Qt::WindowCloseButtonHint);
    auto *rev = sub->findChild<QLabel *>(QStringLiteral("sRev"));
    QVERIFY(rev);
    QCOMPARE(rev->text(), QStringLiteral("2.1"));
    auto *img = sub->findChild<QLabel *>(QStringLiteral("labImg"));
    QVERIFY(img);
    QVERIFY(!img->pixmap().isNull());
    sub->findChild<QPushButton *>(QStringLiteral("bClose"))->click();
    QTRY_VERIFY(w->mdi()->subWindowList().isEmpty());
    QCOMPARE(QByteArray(w->documentImage()->data(), TK440::Size), before);
}

// A dock closed with its ✕ is not lost: the tree comes back with the next configuration, and
// both docks are shown again from the "Окно" menu.
void TstK440Windows::closedDocksComeBack()
{
    w->show();
    w->showImage(TK440::ModelRA);
    auto *logDock = w->findChild<QDockWidget *>(QStringLiteral("logDock"));
    QVERIFY(w->deviceDock()->isVisible() && logDock->isVisible());
    w->deviceDock()->close();
    logDock->close();
    QVERIFY(!w->deviceDock()->isVisible() && !logDock->isVisible());

    w->showImage(TK440::ModelRB); // as opening or reading another configuration does
    QVERIFY(w->deviceDock()->isVisible());

    w->deviceDock()->close();
    auto *menu = w->findChild<QMenu *>(QStringLiteral("windowMenu"));
    QList<QAction *> toggles;
    for (QAction *a : menu->actions()) {
        if (a->isCheckable() && !a->isChecked())
            toggles << a;
    }
    QCOMPARE(toggles.size(), 2);
    for (QAction *a : toggles)
        a->trigger();
    QVERIFY(w->deviceDock()->isVisible() && logDock->isVisible());
}

QTEST_MAIN(TstK440Windows)
#include "tst_k440windows.moc"
