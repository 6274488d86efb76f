// The main window's state in sight and nothing lost: configurations kept for recovery on every
// way out and opened again, the title, the log's file and menu, the connection field, the
// keys, the firmware load's log lines, and how the pages' dials and spin boxes take input.

#include "k440fixture.h"

#include "app/shellarea.h"
#include "app/startup.h"
#include "config/recovery.h"
#include "device/tthread.h"

#include <QAbstractButton>
#include <QDial>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>

class TstShellState : public QObject
{
    Q_OBJECT

private:
    QPointer<TestK440> w;
    QTemporaryDir tmp;

    bool logged(const QString &text) const { return w->logLines().join('\n').contains(text); }

private Q_SLOTS:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        initApplication();
        QVERIFY(tmp.isValid());
    }
    void init()
    {
        QDir(RecoveryStore::defaultFolder()).removeRecursively();
        w = new TestK440;
    }
    void cleanup() { delete w.data(); }

    // Exit, "&Да" to the question and "Закрыть..." keep an image no file holds; the kept one
    // opens again byte for byte, with its file and the modified mark.
    void keptOnEveryWayOut_data()
    {
        QTest::addColumn<QString>("way");
        QTest::addColumn<bool>("edited");
        for (const char *way : {"exit", "yes", "shut"})
            for (bool edited : {true, false})
                QTest::addRow("%s, %s", way, edited ? "edited" : "as saved") << way << edited;
    }
    void keptOnEveryWayOut()
    {
        QFETCH(QString, way);
        QFETCH(bool, edited);
        const QString path = tmp.filePath(QStringLiteral("cfg.mcd"));
        w->answers->createIndex = 1;
        w->create();
        w->answers->saveNames << path;
        w->saveAs();
        if (edited)
            w->documentImage()->b[TK440::InfoOffset + 10] ^= 0x5A;
        const QByteArray bytes(w->documentImage()->data(), TK440::Size);

        w->answers->yesNo << true;
        w->answers->createIndex = -1;
        way == "exit" ? void(w->close()) : way == "yes" ? w->create() : w->shut();
        if (way != "exit") {
            // Closed once, said once; nothing is left to close, and a kept image to restore.
            QCOMPARE(w->logLines().filter(QStringLiteral("-> Конфигурация закрыта")).size(), 1);
            QVERIFY(!w->action("closeAct")->isEnabled());
            QCOMPARE(w->action("restoreAct")->isEnabled(), edited);
        }
        const QList<RecoveryEntry> kept = RecoveryStore().entries();
        QCOMPARE(kept.size(), edited ? 1 : 0);
        if (!edited)
            return;
        QVERIFY(logged("сохранена для восстановления: " + RecoveryStore().imagePath(kept[0].id)));
        QCOMPARE(kept[0].fileName + QString::number(kept[0].model), path + "769");

        if (way == "exit")
            w = new TestK440;
        QVERIFY(w->action("restoreAct")->isEnabled());
        w->answers->onDialog = [](QDialog *d) {
            d->findChild<QPushButton *>("bOpen")->click();
        };
        w->action("restoreAct")->trigger();
        QVERIFY(w->documentImage());
        QCOMPARE(QByteArray(w->documentImage()->data(), TK440::Size), bytes);
        QCOMPARE(w->currentFile()->fileName(), path);
        QVERIFY(w->isWindowModified());
        QVERIFY(w->action("closeAct")->isEnabled());
    }

    void pageEditMarksTitle()
    {
        w->answers->createIndex = 0;
        w->create();
        QCOMPARE(w->windowTitle(), QStringLiteral("Терминал контроллеров системы К-330С[*]"));
        QVERIFY(!w->isWindowModified());
        QWidget *voc = w->activate(QStringLiteral("Вокодер"));
        voc->findChild<QDial *>(QStringLiteral("dialVad"))->setValue(3);
        voc->findChild<QAbstractButton *>(QStringLiteral("bSave"))->click();
        QVERIFY(w->isWindowModified());
        w->answers->saveNames << tmp.filePath(QStringLiteral("saved.mcd"));
        w->saveAs();
        QCOMPARE(w->windowTitle(),
                 QStringLiteral("saved.mcd[*] - Терминал контроллеров системы К-330С"));
        QVERIFY(!w->isWindowModified());
        w->shut();
        QCOMPARE(w->windowTitle(), QStringLiteral("Терминал контроллеров системы К-330С"));
        QTRY_VERIFY(qobject_cast<ShellArea *>(w->mdi())->showsHint());
        QVERIFY(RecoveryStore().entries().isEmpty());
    }

    void logStatusAndKeys()
    {
        const QString name = tmp.filePath(QStringLiteral("dated.log"));
        {
            K440 dated(name);
            dated.log(QStringLiteral("строка"));
        }
        QFile f(name);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QRegularExpression dated("^\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d-> строка$",
                                       QRegularExpression::MultilineOption);
        QVERIFY(dated.match(QString::fromUtf8(f.readAll())).hasMatch());
        w->log(QStringLiteral("первая"));
        const QString saved = tmp.filePath(QStringLiteral("log.txt"));
        w->answers->saveNames << saved;
        w->findChild<QAction *>(QStringLiteral("saveLogAct"))->trigger();
        QFile out(saved);
        QVERIFY(out.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(out.readAll()), w->logLines().join('\n') + '\n');
        w->findChild<QAction *>(QStringLiteral("clearLogAct"))->trigger();
        QVERIFY(w->logLines().isEmpty());

        auto *field = w->statusBar()->findChild<QLabel *>(QStringLiteral("connectionStatus"));
        QVERIFY(field);
        QCOMPARE(field->text(), QStringLiteral("Контроллер не подключен, режим пользовательский"));
        Q_EMIT w->workerThread()->conn(true);
        TDev dev {TK440::ModelRA, 0x0201, {0x12, 0xAB, 0, 0x3}, 0x77};
        Q_EMIT w->workerThread()->readDev(&dev);
        QCOMPARE(field->text(),
                 QStringLiteral("Контроллер подключен, K-330RA, серийный номер "
                                "процессора 0x12AB03, режим пользовательский"));
    }

    void keys_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QKeySequence>("key");
        QTest::newRow("read") << "readAct" << QKeySequence("Ctrl+R");
        QTest::newRow("write") << "writeAct" << QKeySequence("Ctrl+Shift+W");
        QTest::newRow("load") << "loadAct" << QKeySequence("Ctrl+L");
        QTest::newRow("save as") << "saveAsAct" << QKeySequence("Ctrl+Shift+S");
    }
    void keys()
    {
        QFETCH(QString, action);
        QFETCH(QKeySequence, key);
        QAction *a = w->action(qPrintable(action));
        a->setEnabled(true);
        QSignalSpy triggered(a, &QAction::triggered);
        disconnect(a, &QAction::triggered, w, nullptr);
        w->show();
        QVERIFY(QTest::qWaitForWindowActive(w.data()));
        QTest::keySequence(w.data(), key);
        QCOMPARE(triggered.size(), 1);
        QVERIFY(a->toolTip().endsWith(key.toString(QKeySequence::NativeText) + ')'));
    }

    // The file and its size are named before the job; a window closed early says the load
    // goes on.
    void firmwareLoadLines()
    {
        QFile fw(tmp.filePath(QStringLiteral("fw.rom")));
        QVERIFY(fw.open(QIODevice::WriteOnly) && fw.write(QByteArray(5000, 'Z')) == 5000);
        fw.close();
        const QString name = fw.fileName();
        w->answers->openNames << name;
        w->load();
        QMdiSubWindow *sub = w->findSubWindow(QStringLiteral("Загрузить ПО"));
        QVERIFY(sub);
        QVERIFY(logged("Файл ПО " + name + " (5000 байт)"));
        QVERIFY(
            sub->widget()->findChild<QProgressBar *>()->format().startsWith("fw.rom (5000 байт)"));
        sub->close();
        QVERIFY(logged("Окно загрузки ПО закрыто, загрузка ПО продолжается"));
    }

    void liveModeAndDials()
    {
        w->conn(true);
        w->answers->createIndex = 0;
        w->create();
        QWidget *voc = w->activate(QStringLiteral("Вокодер"));
        auto *test = voc->findChild<QAbstractButton *>(QStringLiteral("bTest"));
        test->click();
        test->click();
        QVERIFY(logged("Режим контроля включен: Вокодер"));
        QVERIFY(logged("Режим контроля выключен: Вокодер"));

        // A click steps by the page step toward the pointer; a drag still follows it.
        auto *dial = voc->findChild<QDial *>(QStringLiteral("dialVad"));
        dial->resize(80, 80);
        dial->setValue(126);
        QTest::mouseClick(dial, Qt::LeftButton, {}, QPoint(79, 40)); // 204 under the pointer
        QCOMPARE(dial->value(), 126 + dial->pageStep());
        QTest::mouseClick(dial, Qt::LeftButton, {}, QPoint(0, 40)); // 51 under the pointer
        QCOMPARE(dial->value(), 126);

        // A typed gain between two steps counts on Enter and shows the dial's step, also where
        // the dial stays where it was.
        QWidget *mic = w->activate(QStringLiteral("Вход микрофона"));
        auto *spin = mic->findChild<QDoubleSpinBox *>(QStringLiteral("spinGain"));
        auto *gain = mic->findChild<QDial *>(QStringLiteral("dialGain"));
        mic->findChild<QGroupBox *>(QStringLiteral("boxAmp"))->setChecked(true);
        mic->findChild<QRadioButton *>(QStringLiteral("radioPga"))->setChecked(true);
        QVERIFY(spin->isEnabled());
        gain->setValue(48);
        mic->window()->show();
        spin->setFocus();
        spin->selectAll();
        QTest::keyClicks(spin, QStringLiteral("24") + QLocale().decimalPoint() + "3");
        QTest::keyClick(spin, Qt::Key_Enter);
        QCOMPARE(spin->value(), 24.0);
        QCOMPARE(gain->value(), 48);
    }
};

QTEST_MAIN(TstShellState)
#include "tst_shellstate.moc"
