// The statistics and trace windows opened from the device tree of the real main window and
// driven through their controls against a simulated controller: the requests on the wire, the
// counters shown, the trace file against what the controller sent, unplugging and re-plugging.

#include "k440fixture.h"

#include "app/builtinwindows.h"
#include "app/startup.h"
#include "device/tthread.h"
#include "pages/builtinpages.h"
#include "sim/simcontroller.h"
#include "sim/simtransport.h"
#include "views/models/acquisitionformat.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>
#include <QTimer>

namespace {
const QString Lost = QStringLiteral("Контроллер VELK K-330S отключен от шины USB");
const QByteArray Report13("\x00\x0d", 2);
const QByteArray Reset12("\x00\x0c", 2);
const QByteArray Trace16("\x00\x10", 2);
using Lines = QList<SimTrace::Line>;

template<class W> W *child(QWidget *w, const char *name)
{
    auto *c = w->findChild<W *>(QLatin1String(name));
    if (!c)
        qFatal("no child %s", name);
    return c;
}

int commands(const SimController &sim, const QByteArray &packet)
{
    return int(sim.moved(0x01).count(packet));
}

// One trace line back to its channel and bytes; channel 0xFFFF when it does not parse.
SimTrace::Line parseLine(const QString &line)
{
    static const QRegularExpression re(QStringLiteral(
        "^\\d\\d:\\d\\d:\\d\\d\\.\\d\\d\\d-> (Bus\\+ RxD|Bus\\+ TxD|Link RxD|Link TxD)=>"
        "((?:0x[0-9A-F]{2}; )*)$"));
    static const QStringList labels {"Bus+ RxD", "Bus+ TxD", "Link RxD", "Link TxD"};
    const QRegularExpressionMatch m = re.match(line);
    if (!m.hasMatch())
        return {quint16(0xFFFF), line.toUtf8()};
    QByteArray bytes;
    for (const QString &b : m.captured(2).split(QStringLiteral("; "), Qt::SkipEmptyParts))
        bytes.append(char(b.mid(2).toInt(nullptr, 16)));
    return {quint16(labels.indexOf(m.captured(1))), bytes};
}

Lines parseLines(const QStringList &lines)
{
    Lines out;
    for (const QString &l : lines)
        out.append(parseLine(l));
    return out;
}

bool sameLines(const Lines &a, const Lines &b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const auto &x, const auto &y) {
        return x.channel == y.channel && x.bytes == y.bytes;
    });
}

// What a capture's file must hold: the channel lines sent from `from` on, the last possibly
// missing (the read outstanding at the stop is answered after it and not written).
bool fileMatches(const Lines &file, Lines sent, int from = 0)
{
    sent = sent.mid(from);
    sent.removeIf([](const SimTrace::Line &l) { return l.channel > 3; });
    return !file.isEmpty()
        && (sameLines(file, sent)
            || (file.size() == sent.size() - 1 && sameLines(file, sent.mid(0, file.size()))));
}

QStringList fileLines(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text))
        return {QStringLiteral("<not readable>")};
    return QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// The lines of a trace window's log, newest first as the window shows them.
QStringList shown(QWidget *win)
{
    return child<QTextEdit>(win, "textLog")
        ->toPlainText()
        .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}
QStringList shownChannelLines(QWidget *win)
{
    return shown(win).filter(QStringLiteral("=>"));
}

// Clicks OK on the next message box inside its modal loop and keeps its text.
// Answers the next message box of the window under test with Ok and keeps its text; the
// "replace?" question of a file dialog is left to the prompter. Returns the poll, for the test
// to stop it when no box came.
QPointer<QTimer> answerBox(QString *text)
{
    auto *poll = new QTimer(qApp);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, text] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box || qobject_cast<QFileDialog *>(box->parentWidget()))
            return;
        QAbstractButton *ok = box->button(QMessageBox::Ok);
        if (!ok)
            return;
        poll->deleteLater();
        *text = box->text();
        ok->click();
    });
    poll->start(5);
    return poll;
}
} // namespace

class TstK440Views : public QObject
{
    Q_OBJECT

    std::shared_ptr<SimController> sim;
    std::unique_ptr<TestK440> w;
    QTemporaryDir dir;

    QWidget *activate(const QString &title) { return w->activate(title); }
    // The trace window in service mode 5, where the tree offers it; file dialogs are answered
    // from the prompter's saveNames.
    QWidget *openTrace(bool answerFiles = true)
    {
        w->answers->onDialog = [](QDialog *d) {
            d->findChild<QLineEdit *>(QStringLiteral("eCode"))->setText("Coral_Cobalts");
            d->findChild<QPushButton *>(QStringLiteral("bSet"))->click();
        };
        w->service();
        if (answerFiles)
            w->answers->answerFileDialogs();
        return activate(QStringLiteral("Трассировка"));
    }
    // Checks the channels, starts, lets the capture run for ms and stops it.
    void capture(QWidget *win, const QStringList &channels, int ms)
    {
        for (const QString &c : channels)
            child<QCheckBox>(win, c.toLatin1())->setChecked(true);
        auto *run = child<QPushButton>(win, "bRun");
        run->click();
        QTest::qWait(ms);
        run->click();
        QTRY_COMPARE(sim->traceMode(), quint16(0));
        QTest::qWait(50); // the answer to the read outstanding at the stop
    }
    QString labelText(QWidget *win, const char *name) { return child<QLabel>(win, name)->text(); }
    quint32 number(QWidget *win, const char *name) { return labelText(win, name).toUInt(); }

private Q_SLOTS:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        initApplication();
        registerBuiltinPages();
        registerBuiltinWindows();
        QVERIFY(dir.isValid());
    }
    void init()
    {
        sim = makeSimulatedController(QStringLiteral("RA"));
        auto s = sim;
        w = std::make_unique<TestK440>([s] { return makeSimulatedTransport(s); });
        QTRY_VERIFY(w->isConnected());
        w->showImage(TK440::ModelRA);
    }
    void cleanup() { w.reset(); }

    // "-" until the first record; polling for 5 s shows counters that rise; "Сброс" brings
    // them back with one record and without starting the poll.
    void reportPollsAndResets()
    {
        QWidget *win = activate(QStringLiteral("Статистика"));
        QVERIFY(win);
        for (const auto &[name, text] : reportformat::texts(TReport {}))
            QCOMPARE(labelText(win, name.toLatin1().constData()), QStringLiteral("-"));
        auto *test = child<QPushButton>(win, "bTest");
        sim->clearTransfers();
        test->click();
        QCOMPARE(test->text(), QStringLiteral("Cтоп"));
        QList<quint32> seen; // each value of the sent-packet counter as it changes
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < 5000) {
            QTest::qWait(50);
            if (labelText(win, "sTxdCnt") != QStringLiteral("-")
                && (seen.isEmpty() || number(win, "sTxdCnt") != seen.last()))
                seen.append(number(win, "sTxdCnt"));
        }
        QVERIFY2(seen.size() >= 4, qPrintable(QString::number(seen.size())));
        QVERIFY(std::is_sorted(seen.begin(), seen.end()));
        QVERIFY(commands(*sim, Report13) >= 4 && commands(*sim, Report13) <= 6);
        QCOMPARE(commands(*sim, Reset12), 0);
        QCOMPARE(number(win, "sNumTx"), number(win, "sTxdCnt") + number(win, "sTxvCnt"));

        test->click();
        QCOMPARE(test->text(), QStringLiteral("Cтарт"));
        QTRY_COMPARE(w->workerThread()->queuedJobs(), 0);
        QTest::qWait(50);
        const quint32 before = number(win, "sTxdCnt");
        sim->clearTransfers();
        child<QPushButton>(win, "bReset")->click();
        QTRY_COMPARE(commands(*sim, Report13), 2);
        QCOMPARE(sim->moved(0x01), (QList<QByteArray> {Reset12, Report13, Report13}));
        QCOMPARE(sim->statistics().resets(), 1);
        QTRY_VERIFY(number(win, "sTxdCnt") < before);
        QTest::qWait(1300); // no poll was started
        QCOMPARE(commands(*sim, Report13), 2);
        QVERIFY(!test->isChecked());
    }

    // "Экспорт…" saves field,value of every value the window shows, as it shows it.
    void reportExport()
    {
        QWidget *win = activate(QStringLiteral("Статистика"));
        QVERIFY(win);
        child<QPushButton>(win, "bReset")->click();
        QTRY_COMPARE(commands(*sim, Report13), 2);
        QTRY_COMPARE(w->workerThread()->queuedJobs(), 0);
        QTest::qWait(50);
        const QString path = dir.filePath(QStringLiteral("report.csv"));
        w->answers->saveNames << path;
        w->answers->answerFileDialogs();
        child<QPushButton>(win, "exportButton")->click();
        QStringList expected {"field,value"};
        for (const auto &[name, text] : reportformat::texts(TReport {}))
            expected << name + ',' + labelText(win, name.toLatin1().constData());
        auto *window = child<QProgressBar>(win, "barWinLoad");
        for (const char *bar : {"barDsp", "barWinLoad", "barTxLoad", "barRxLoad"})
            expected << bar + (',' + QString::number(child<QProgressBar>(win, bar)->value()));
        expected << "barWinLoad.maximum," + QString::number(window->maximum());
        QCOMPARE(fileLines(path), expected);
    }

    // Ten seconds of all four channels: the file, emptied at the start, holds every line the
    // controller sent, in order, once; the window shows them newest first.
    void traceTenSeconds()
    {
        QWidget *win = openTrace();
        QVERIFY(win);
        const QString path = dir.filePath(QStringLiteral("ten.log"));
        writeFile(path, "left from before\n");
        child<QCheckBox>(win, "chkFile")->setChecked(true);
        w->answers->saveNames << path;
        sim->clearTransfers();
        capture(win, {"chkRxB", "chkTxB", "chkRxL", "chkTxL"}, 10000);
        QCOMPARE(w->answers->fileDialogs,
                 QStringList {"Сохранить файл|файл трассировки (*.log);;Все файлы (*.*)"});
        QCOMPARE(sim->moved(0x01).value(0), QByteArray("\x00\x0f\x00\x0f", 4));

        const Lines file = parseLines(fileLines(path));
        const Lines sent = sim->traceCapture().sent();
        QVERIFY2(fileMatches(file, sent),
                 qPrintable(QStringLiteral("%1 of %2").arg(file.size()).arg(sent.size())));
        QVERIFY(file.size() > 100);
        QSet<quint16> channels;
        for (const auto &l : file)
            channels.insert(l.channel);
        QCOMPARE(channels.size(), 4);
        QStringList display = shownChannelLines(win);
        std::reverse(display.begin(), display.end());
        QVERIFY(sameLines(parseLines(display), file));
        const QStringList log = shown(win);
        QVERIFY(log.contains(QStringLiteral("Файл трассировки %1 открыт.").arg(path)));
        QVERIFY(log.contains(QStringLiteral("Файл трассировки %1 закрыт.").arg(path)));
    }

    // The display and file options, with a channel error among the lines: the error line
    // shows whatever the display option says and never goes to the file.
    void traceOptions_data()
    {
        QTest::addColumn<bool>("display");
        QTest::addColumn<bool>("file");
        QTest::newRow("display and file") << true << true;
        QTest::newRow("file only") << false << true;
        QTest::newRow("display only") << true << false;
        QTest::newRow("neither") << false << false;
    }
    void traceOptions()
    {
        QFETCH(bool, display);
        QFETCH(bool, file);
        QWidget *win = openTrace();
        QVERIFY(win);
        const QString path = dir.filePath(QStringLiteral("options.log"));
        QFile::remove(path);
        child<QCheckBox>(win, "chkDisplay")->setChecked(display);
        child<QCheckBox>(win, "chkFile")->setChecked(file);
        w->answers->saveNames << path;
        child<QCheckBox>(win, "chkRxB")->setChecked(true);
        child<QCheckBox>(win, "chkTxL")->setChecked(true);
        auto *run = child<QPushButton>(win, "bRun");
        run->click();
        QTRY_COMPARE(sim->traceMode(), quint16(9));
        sim->traceCapture().inject({7, QByteArray(8, 'x')});
        QTest::qWait(400);
        run->click();
        QTRY_COMPARE(sim->traceMode(), quint16(0));
        QTest::qWait(50);

        const Lines sent = sim->traceCapture().sent();
        QCOMPARE(shown(win).filter(QStringLiteral("-> ошибка канала=7 ; n=8")).size(), 1);
        const Lines onScreen = parseLines(shownChannelLines(win));
        QCOMPARE(onScreen.isEmpty(), !display);
        if (file) {
            const QStringList lines = fileLines(path);
            QVERIFY(fileMatches(parseLines(lines), sent));
            QCOMPARE(shown(win).filter(QStringLiteral("Файл трассировки ")).size(), 2);
        } else {
            QVERIFY(!QFile::exists(path));
        }
        if (display) {
            QStringList lines = shownChannelLines(win);
            std::reverse(lines.begin(), lines.end());
            QVERIFY(fileMatches(parseLines(lines), sent));
        }
    }

    // Each start with a chosen name empties the file; a stop forgets it, so a start whose
    // dialog is cancelled writes nowhere.
    void traceFileAtEachStart()
    {
        QWidget *win = openTrace();
        QVERIFY(win);
        const QString path = dir.filePath(QStringLiteral("again.log"));
        child<QCheckBox>(win, "chkFile")->setChecked(true);
        w->answers->saveNames << path << path;
        capture(win, {"chkRxL"}, 300);
        const int first = int(sim->traceCapture().sent().size());
        QVERIFY(fileMatches(parseLines(fileLines(path)), sim->traceCapture().sent()));
        capture(win, {}, 300);
        QVERIFY(fileMatches(parseLines(fileLines(path)), sim->traceCapture().sent(), first));
        const QStringList second = fileLines(path);
        capture(win, {}, 300); // cancelled: the queue is empty
        QCOMPARE(w->answers->fileDialogs.size(), 3);
        QCOMPARE(fileLines(path), second);
        QCOMPARE(shown(win).filter(QStringLiteral(" открыт.")).size(), 2);
    }

    // A file that does not open warns and the capture runs without it; a file that fails
    // while writing warns once, and the capture goes on without it.
    void traceFileFails_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("warning");
        QTest::addColumn<QStringList>("logged"); // sorted
        const QString missing = dir.filePath(QStringLiteral("no/such/folder.log"));
        QTest::newRow("not opened")
            << missing << "Файл " + missing + " не удалось открыть." << QStringList();
        QTest::newRow("disk full")
            << "/dev/full"
            << "Файл /dev/full не удалось записать."
            << QStringList {"Файл трассировки /dev/full закрыт: ошибка записи.",
                            "Файл трассировки /dev/full открыт."};
    }
    void traceFileFails()
    {
        QFETCH(QString, path);
        QFETCH(QString, warning);
        QFETCH(QStringList, logged);
        QWidget *win = openTrace();
        QVERIFY(win);
        child<QCheckBox>(win, "chkFile")->setChecked(true);
        child<QCheckBox>(win, "chkTxB")->setChecked(true);
        w->answers->saveNames << path;
        QString modalText;
        const QPointer<QTimer> poll = answerBox(&modalText);
        auto *run = child<QPushButton>(win, "bRun");
        run->click();
        QTRY_VERIFY(shownChannelLines(win).size() > 20); // the capture runs
        QVERIFY(run->isChecked());
        delete poll.data();
        QStringList warnings = {modalText};
        for (QMessageBox *box : win->findChildren<QMessageBox *>())
            if (box->isVisible())
                warnings << box->text();
        warnings.removeAll(QString());
        QVERIFY2(warnings == QStringList {warning}, qPrintable(warnings.join('|')));
        QStringList fileLog = shown(win).filter(QStringLiteral("Файл трассировки"));
        fileLog.sort();
        QCOMPARE(fileLog, logged);
        run->click();
        QTRY_COMPARE(sim->traceMode(), quint16(0));
        QVERIFY(shown(win).filter(QStringLiteral(" закрыт.")).isEmpty());
    }

    // No channel: mask 0; header-only replies give no line but the next read, at once; the
    // chain ends with the stop.
    void traceMaskZero()
    {
        QWidget *win = openTrace();
        QVERIFY(win);
        sim->clearTransfers();
        child<QPushButton>(win, "bRun")->click();
        QTest::qWait(300);
        QCOMPARE(sim->moved(0x01).value(0), QByteArray("\x00\x0f\x00\x00", 4));
        QVERIFY(commands(*sim, Trace16) > 5);
        QVERIFY(shown(win).isEmpty());
        child<QPushButton>(win, "bRun")->click();
        QTest::qWait(100);
        const int reads = commands(*sim, Trace16);
        QTest::qWait(200);
        QCOMPARE(commands(*sim, Trace16), reads);
    }

    // Unplugging ends the poll and the capture with the lost-device line; after re-plugging
    // both windows work again.
    void unplugAndReplug()
    {
        QWidget *trace = openTrace();
        QWidget *report = activate(QStringLiteral("Статистика"));
        QVERIFY(trace && report);
        auto *test = child<QPushButton>(report, "bTest");
        auto *run = child<QPushButton>(trace, "bRun");
        child<QCheckBox>(trace, "chkTxL")->setChecked(true);
        test->click();
        run->click();
        QTRY_VERIFY(labelText(report, "sTime") != QStringLiteral("-"));
        QTRY_VERIFY(!shownChannelLines(trace).isEmpty());
        sim->unplug();
        QTRY_VERIFY(!w->isConnected());
        QTRY_VERIFY(w->logLines().join('\n').contains(Lost));
        QVERIFY(!test->isChecked() && !test->isEnabled());
        QVERIFY(!run->isChecked() && !run->isEnabled());
        QCOMPARE(test->text(), QStringLiteral("Cтарт"));
        QCOMPARE(run->text(), QStringLiteral("Cтарт"));

        sim->plug();
        QTRY_VERIFY(w->isConnected());
        QTRY_VERIFY(test->isEnabled() && run->isEnabled());
        QVERIFY(child<QWidget>(trace, "boxCh")->isEnabled());
        sim->clearTransfers();
        child<QPushButton>(trace, "bReset")->click();
        test->click();
        run->click();
        QTRY_VERIFY(commands(*sim, Report13) >= 1);
        QTRY_VERIFY(!shownChannelLines(trace).isEmpty());
        QCOMPARE(sim->traceMode(), quint16(8));
        run->click();
        test->click();
    }

    // The connection goes while the file dialog is open: the capture it was to start has been
    // stopped, so the chosen file is not opened and the window stays idle.
    void unplugWhileChoosingFile()
    {
        QWidget *win = openTrace(false);
        QVERIFY(win);
        const QString path = dir.filePath(QStringLiteral("late.log"));
        QFile::remove(path);
        child<QCheckBox>(win, "chkFile")->setChecked(true);
        auto *run = child<QPushButton>(win, "bRun");
        // Inside the dialog's loop: unplug, and choose the name once the loss has arrived.
        auto *poll = new QTimer(win);
        connect(poll, &QTimer::timeout, poll, [this, poll, path] {
            if (!qobject_cast<QFileDialog *>(QApplication::activeModalWidget()))
                return;
            if (sim->isPlugged())
                sim->unplug();
            if (!w->isConnected()) {
                poll->stop();
                poll->deleteLater();
                w->answers->saveNames << path;
                w->answers->answerFileDialogs();
            }
        });
        poll->start(5);
        run->click();
        QCOMPARE(w->answers->fileDialogs.size(), 1);
        QVERIFY(!run->isChecked());
        QCOMPARE(run->text(), QStringLiteral("Cтарт"));
        QVERIFY(!QFile::exists(path));
        QVERIFY(shown(win).isEmpty());

        sim->plug();
        QTRY_VERIFY(run->isEnabled());
        w->answers->saveNames << path;
        capture(win, {"chkRxB"}, 200);
        QCOMPARE(w->answers->fileDialogs.size(), 2);
        QVERIFY(fileMatches(parseLines(fileLines(path)), sim->traceCapture().sent()));
    }
};

QTEST_MAIN(TstK440Views)
#include "tst_k440views.moc"
