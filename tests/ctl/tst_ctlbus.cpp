// k330ctl on several controllers through libusb's own path: the built executable runs against
// simulated controllers on the emulated bus that this process serves (tests/support/umockdevice.h).

#include "umockdevice.h"

#include "config/configfile.h"
#include "config/crc16.h"
#include "config/defaultimage.h"
#include "config/image.h"
#include "sim/simcontroller.h"
#include "sim/simtransport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

constexpr int Gain = 119; // the LF amplifier's gain step in an image
const QString Blank = QStringLiteral("0x0000"); // the serial as the Info page shows it

// A K-330RA with this processor serial (last word) and its configuration's gain step.
std::shared_ptr<SimController> controller(quint16 serial, int gain)
{
    auto sim = makeSimulatedController(QStringLiteral("RA"));
    sim->setCpuSerial({0, 0, 0, serial});
    TK440 image;
    makeDefaultImage(image, TK440::ModelRA);
    image.data()[Gain] = char(gain);
    toDeviceForm(Crc16(), image);
    sim->setMemory(0, QByteArray(image.data(), TK440::IdentOffset));
    return sim;
}

int gainIn(const QString &file)
{
    TK440 image;
    return readConfigFile(file, image) == ConfigReadResult::Ok ? int(image.data()[Gain]) : -1;
}

struct Run
{
    int status = -1;
    QString out;
    QString err;
    // Stderr on a terminal, cut where the block of three rows is drawn again: each piece holds
    // the lines printed above the block, then the block.
    QStringList drawings;
    qint64 ms = 0;

    QList<QJsonObject> events(const QString &name) const
    {
        QList<QJsonObject> out;
        for (const QString &line : this->out.split('\n', Qt::SkipEmptyParts)) {
            const QJsonObject o = QJsonDocument::fromJson(line.toUtf8()).object();
            if (o["event"].toString() == name)
                out.append(o);
        }
        return out;
    }
};

// Runs k330ctl; meanwhile is called every few milliseconds. With tty its stderr is a terminal.
Run ctl(const QStringList &args, bool tty = false, const std::function<void()> &meanwhile = {})
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("LC_ALL", "C.UTF-8");
    env.remove("LANGUAGE");
    QProcess p;
    p.setProcessEnvironment(env);
    int master = -1;
    int slave = -1;
    if (tty) {
        master = posix_openpt(O_RDWR | O_NOCTTY);
        grantpt(master), unlockpt(master);
        slave = ::open(ptsname(master), O_RDWR | O_NOCTTY);
        const winsize size {50, 200, 0, 0};
        ioctl(master, TIOCSWINSZ, &size);
        fcntl(master, F_SETFL, O_NONBLOCK);
        p.setChildProcessModifier([slave] { ::dup2(slave, 2); });
    }
    Run r;
    QElapsedTimer clock;
    clock.start();
    p.start(QStringLiteral(K330CTL_PATH), args);
    if (slave >= 0)
        ::close(slave);
    QByteArray raw;
    const auto drain = [&] {
        char buffer[4096];
        for (ssize_t n; master >= 0 && (n = ::read(master, buffer, sizeof buffer)) > 0;) {
            raw.append(buffer, n);
        }
    };
    while (!p.waitForFinished(10) && clock.elapsed() < 60000) {
        QCoreApplication::processEvents();
        if (meanwhile)
            meanwhile();
        drain();
    }
    drain();
    r.ms = clock.elapsed();
    if (master >= 0)
        ::close(master);
    r.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    r.drawings = QString::fromUtf8(raw).remove('\r').split("\033[3A\033[J");
    return r;
}

} // namespace

class TstCtlBus : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<UmockDevice> bus;
    QList<std::shared_ptr<SimController>> sims;
    QTemporaryDir dir;
    QString image; // a K-330RA configuration with gain step 42

    void plug(const QString &path, quint16 serial, int gain)
    {
        sims.append(controller(serial, gain));
        bus->setModel(path, sims.last());
    }

private Q_SLOTS:
    void init()
    {
        bus = std::make_unique<UmockDevice>();
        if (!UmockDevice::preloaded())
            QSKIP("libumockdev-preload.so.0 is not preloaded");
        TK440 file;
        makeDefaultImage(file, TK440::ModelRA);
        file.data()[Gain] = 42;
        image = dir.filePath(QStringLiteral("a.mcd"));
        QCOMPARE(writeConfigFile(image, Crc16(), file), ConfigWriteResult::Ok);
    }
    void cleanup()
    {
        sims.clear();
        bus.reset();
    }

    void writeAllAtOnce();
    void pulledControllerFailsAlone();
    void duplicateSerials();
};

void TstCtlBus::writeAllAtOnce()
{
    plug("1-1", 1, 10);
    plug("1-2", 2, 11);
    plug("1-4.1", 3, 12);
    const Run list = ctl({"list", "--json"});
    QCOMPARE(list.status, 0);
    const QJsonArray entries = QJsonDocument::fromJson(list.out.toUtf8()).array();
    QStringList paths; // in the order of the bus, which lists the hub's port first
    for (const QJsonValue &e : entries)
        paths.append(e["path"].toString());
    QCOMPARE(QSet<QString>(paths.begin(), paths.end()), QSet<QString>({"1-1", "1-2", "1-4.1"}));

    // On a terminal one progress line per controller, the block redrawn at most ten times a
    // second; at the end each line says its controller is written (and read back).
    const Run w = ctl({"write", "--all", image}, true);
    QCOMPARE(w.status, 0);
    int mostBars = 0;
    for (const QString &drawing : w.drawings)
        mostBars = qMax(mostBars, int(drawing.split('\n').filter("] ").size()));
    QCOMPARE(mostBars, 3);
    QVERIFY2(w.drawings.size() <= w.ms / 100 + 3, qPrintable(QString::number(w.drawings.size())));
    const QStringList screen = w.drawings.last().split('\n', Qt::SkipEmptyParts);
    for (int i = 0; i < 3; ++i)
        QCOMPARE(screen[screen.size() - 3 + i],
                 QStringLiteral("%1 %2: Контроллер К-330RA, конфигурации записана.")
                     .arg(paths[i], entries[i]["serial"].toString()));
    // Otherwise plain lines, a controller's progress at most once per tenth of each stage.
    const Run plain = ctl({"write", "--all", image});
    QCOMPARE(plain.status, 0);
    for (const QString &path : paths) {
        const QRegularExpression progress('^' + QRegularExpression::escape(path) + " .*/182$");
        const qsizetype lines = plain.err.split('\n').filter(progress).size();
        QVERIFY2(lines >= 2 && lines <= 22, qPrintable(plain.err));
    }
}

// One controller pulled in the middle of the write fails alone; one that arrives during the
// run is not touched.
void TstCtlBus::pulledControllerFailsAlone()
{
    plug("1-1", 1, 10);
    plug("1-2", 2, 11);
    plug("1-3", 3, 12);
    // The second leaves the bus among the write's blocks (after the identification at the
    // start and the write's own handshake and identification).
    sims[1]->failTransfer(14, SimController::Fault::vanish(-5));
    const auto late = controller(4, 13);
    const Run w = ctl({"write", "--all", "--json", image}, false, [&] {
        if (sims.size() == 3 && sims[0]->transferCount() > 12) {
            sims.append(late);
            bus->setModel("1-4", late);
        }
    });
    QCOMPARE(w.status, 4);
    QVERIFY2(w.err.contains("1-2 0x0002: Ошибка. Запись конфигурации прервана."),
             qPrintable(w.err));
    QMap<QString, int> statuses;
    for (const QJsonObject &end : w.events("end"))
        statuses.insert(end["path"].toString(), end["status"].toInt());
    QCOMPARE(statuses, (QMap<QString, int> {{"1-1", 0}, {"1-2", 4}, {"1-3", 0}}));
    QCOMPARE(w.events("summary").value(0)["status"].toInt(), 4);
    QVERIFY(!sims[1]->isPlugged());
    QCOMPARE(sims.size(), 4); // it arrived during the run
    QCOMPARE(late->transferCount(), 0);
}

void TstCtlBus::duplicateSerials()
{
    plug("1-1", 0, 10);
    plug("1-2", 0, 11);
    plug("1-3", 7, 12);
    const QString folder = dir.filePath("read");
    const Run r = ctl({"read", "--all", "--json", "-o", folder});
    QCOMPARE(r.status, 0);
    const QStringList files {Blank + "_1-1.mcd", Blank + "_1-2.mcd", "0x0007.mcd"};
    QCOMPARE(QDir(folder).entryList(QDir::Files), files);
    QMap<QString, QJsonObject> ends; // by path: they end in any order
    for (const QJsonObject &end : r.events("end"))
        ends.insert(end["path"].toString(), end);
    QCOMPARE(ends.keys(), QStringList({"1-1", "1-2", "1-3"}));
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(gainIn(QDir(folder).filePath(files[i])), 10 + i);
        const QJsonObject end = ends.value(ends.keys()[i]);
        QCOMPARE(QFileInfo(end["file"].toString()).fileName(), files[i]);
        QCOMPARE(end["serial"].toString(), i < 2 ? Blank : "0x0007");
    }

    struct Refusal
    {
        QStringList args;
        int status;
        QStringList named;
    };
    const Refusal refusals[] = {
        {{"--device", Blank}, 2, {"1-1", "1-2", "share the processor serial"}},
        {{}, 2, {"1-1: K-330RA", "1-2: K-330RA", "1-3: K-330RA"}},
        {{"--device", "1-9"}, 3, {"1-1: K-330RA", "1-3: K-330RA"}},
        {{"--device", "1-3", "--all"}, 2, {}},
    };
    for (const Refusal &refusal : refusals) {
        const Run w = ctl(QStringList {"write"} + refusal.args + QStringList {image});
        QCOMPARE(w.status, refusal.status);
        for (const QString &text : refusal.named)
            QVERIFY2(w.err.contains(text), qPrintable(w.err));
        QVERIFY(!w.err.contains("загрузка конфигурации"));
    }
    // One of them by its path runs as a lone controller does; only it changes.
    QCOMPARE(ctl({"write", "--device", "1-2", image}).status, 0);
    const Run check = ctl({"verify", "--all", image});
    QCOMPARE(check.status, 1);
    QVERIFY(check.out.contains("1-1 ") && check.out.contains("1-3 ")
            && !check.out.contains("1-2 "));
}

QTEST_GUILESS_MAIN(TstCtlBus)
#include "tst_ctlbus.moc"
