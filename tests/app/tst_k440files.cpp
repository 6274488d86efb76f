#include "k440fixture.h"
#include "testsupport.h"

#include "config/crc16.h"
#include "config/defaultimage.h"
#include "config/image.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QScopeGuard>
#include <QSettings>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>
#include <QTimer>

#include <chrono>
#include <condition_variable>
#include <csignal>
#include <fcntl.h>
#include <memory>
#include <mutex>
#include <optional>
#include <pwd.h>
#include <sys/fsuid.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {
QByteArray readRaw(const QString &name)
{
    QFile f(name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeRaw(const QString &name, const QByteArray &bytes)
{
    QFile f(name);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
}

// Makes this thread's file accesses those of an ordinary user while it lives. Root passes
// every folder permission, so a read-only folder only holds for someone else; the file-system
// identity is per thread and changes nothing else of the process. Unprivileged runs need no
// change.
class OrdinaryUser
{
public:
    OrdinaryUser()
    {
        if (geteuid() != 0)
            return;
        const passwd *pw = getpwnam("nobody");
        setfsgid(pw ? pw->pw_gid : 65534);
        setfsuid(pw ? pw->pw_uid : 65534);
        changed = true;
    }
    ~OrdinaryUser()
    {
        if (changed) {
            setfsuid(0);
            setfsgid(0);
        }
    }

private:
    bool changed = false;
};

// Opens the other end of a FIFO once the code under test has had a while to refuse it, so
// that code blocked in open() gets going again and the test fails instead of hanging.
class FifoUnblocker
{
public:
    // `flags`: O_WRONLY to release a reader, O_RDONLY to release a writer.
    FifoUnblocker(const QString &path, int flags)
        : name(QFile::encodeName(path))
        , flags(flags)
        , thread([this] { run(); })
    { }
    ~FifoUnblocker()
    {
        {
            const std::lock_guard<std::mutex> lock(mutex);
            stop = true;
        }
        wake.notify_all();
        thread.join();
        if (fd >= 0)
            ::close(fd);
    }
    bool fired()
    {
        const std::lock_guard<std::mutex> lock(mutex);
        return fd >= 0 || released;
    }

private:
    void run()
    {
        using namespace std::chrono_literals;
        std::unique_lock<std::mutex> lock(mutex);
        if (wake.wait_for(lock, 3s, [this] { return stop; }))
            return;
        // A non-blocking open of the writing end fails until a reader waits; the reading end
        // opens at once and is kept open, so that the writer's data has somewhere to go.
        while (!stop) {
            const int f = ::open(name.constData(), flags | O_NONBLOCK | O_CLOEXEC);
            if (f >= 0) {
                if (flags == O_WRONLY) {
                    ::close(f); // the reader sees the end of the file
                    released = true;
                } else {
                    fd = f;
                }
                return;
            }
            wake.wait_for(lock, 20ms, [this] { return stop; });
        }
    }

    const QByteArray name;
    const int flags;
    std::mutex mutex; // guards stop, fd and released
    std::condition_variable wake;
    bool stop = false;
    int fd = -1;
    bool released = false;
    std::thread thread;
};

QStringList recentFiles()
{
    return QSettings().value(QStringLiteral("recentFileList")).toStringList();
}

QStringList texts(const QSignalSpy &spy)
{
    QStringList out;
    for (const QList<QVariant> &args : spy)
        out << args.at(0).toString();
    return out;
}

// A valid configuration file of the model.
QByteArray validFile(quint16 model)
{
    TK440 image;
    initNewImageIdentity(image, model);
    for (int i = 2; i < TK440::InfoOffset; ++i)
        image.b[i] = quint8(i);
    storeChecksum(Crc16(), image);
    return QByteArray(image.data(), TK440::Size);
}
} // namespace

class TstK440Files : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        QSettings::setDefaultFormat(QSettings::IniFormat);
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir.filePath("settings"));
        QCoreApplication::setOrganizationName(QStringLiteral("k330-tests"));
        QCoreApplication::setApplicationName(QStringLiteral("tst_k440files"));
    }
    void init()
    {
        QSettings().clear();
        w = std::make_unique<TestK440>();
        log = std::make_unique<QSignalSpy>(w.get(), &K440::mes);
    }
    void cleanup()
    {
        log.reset();
        w.reset();
    }

    void createAndSaveAs_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<quint16>("model");
        QTest::addColumn<QString>("name");
        QTest::newRow("K-330RA") << 0 << TK440::ModelRA << "K-330RA";
        QTest::newRow("K-330RB") << 1 << TK440::ModelRB << "K-330RB";
    }
    void createAndSaveAs()
    {
        QFETCH(int, index);
        QFETCH(quint16, model);
        QFETCH(QString, name);
        w->answers->createIndex = index;
        w->create();
        QVERIFY(w->documentImage());
        QCOMPARE(texts(*log),
                 QStringList({"Загружена конфигурация контроллера " + name,
                              "Создана новая конфигурация контроллера " + name}));
        QVERIFY(w->action("saveAct")->isEnabled());
        QVERIFY(!w->currentFile());

        // No current file: "&Сохранить" asks for a name.
        const QString path = dir.filePath(name + ".mcd");
        w->answers->saveNames << path;
        log->clear();
        w->action("saveAct")->trigger();
        QCOMPARE(w->answers->saveDialogs, 1);
        QCOMPARE(w->answers->fileDialogs,
                 QStringList({"Сохранить файл|файл конфигурации (*.mcd);;Все файлы (*.*)"}));
        QCOMPARE(w->answers->warnings, QStringList());
        QCOMPARE(texts(*log),
                 QStringList(
                     {"Конфигурация контроллера " + name + "(402 байт) записана в файл: " + path}));
        QCOMPARE(w->statusBar()->currentMessage(), QStringLiteral("Файл сохранен"));
        QCOMPARE(recentFiles().value(0), path);

        const QByteArray raw = readRaw(path);
        QCOMPARE(raw.size(), 402);
        QVERIFY(isValidStoredImage(Crc16(), raw));
        QCOMPARE(quint8(raw[388]), quint8(model & 0xFF));
        QCOMPARE(quint8(raw[389]), quint8(0x03));
        QCOMPARE(quint8(raw[390]), quint8(0x01));
        QCOMPARE(quint8(raw[391]), quint8(0x02));
        const QDate today = QDate::currentDate();
        QCOMPARE(quint8(raw[184]) | (quint8(raw[185]) << 8), today.year());
        QCOMPARE(int(raw[186]), today.month());
        QCOMPARE(int(raw[187]), today.day());
        for (int i = 188; i < TK440::Size; ++i) {
            if (i < 388 || i >= 392)
                QCOMPARE(int(raw[i]), 0);
        }
        // The document image carries the checksum that was saved.
        QCOMPARE(QByteArray(w->documentImage()->data(), TK440::Size), raw);
    }

    // The new configuration made through the dialog is the widget-free default image of the
    // chosen model, byte for byte: pages built in mode 0 take no part in it.
    void createGivesTheDefaultImage_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<quint16>("model");
        QTest::newRow("K-330RA") << 0 << TK440::ModelRA;
        QTest::newRow("K-330RB") << 1 << TK440::ModelRB;
    }
    void createGivesTheDefaultImage()
    {
        QFETCH(int, index);
        QFETCH(quint16, model);
        const QDate today = QDate::currentDate();
        w->answers->createIndex = index;
        w->create();
        QVERIFY(w->documentImage());
        if (QDate::currentDate() != today)
            QSKIP("the date changed meanwhile");
        TK440 expected;
        makeDefaultImage(expected, model, today);
        QCOMPARE(QByteArray(w->documentImage()->data(), TK440::Size),
                 QByteArray(expected.data(), TK440::Size));
        // The working copy the pages edit holds the same bytes.
        QCOMPARE(QByteArray(w->workingCopy()->data(), TK440::Size),
                 QByteArray(expected.data(), TK440::Size));
    }

    void createClosedCreatesNothing()
    {
        w->answers->createIndex = -1;
        w->create();
        QVERIFY(!w->documentImage());
        QCOMPARE(log->size(), 0);
        QVERIFY(!w->action("saveAct")->isEnabled());
    }

    void openValidFile()
    {
        const QString path = dir.filePath("good.mcd");
        const QByteArray bytes = validFile(TK440::ModelRB);
        writeRaw(path, bytes);
        w->answers->openNames << path;
        w->open();
        QCOMPARE(w->answers->fileDialogs,
                 QStringList({"Открыть файл|файл конфигурации (*.mcd);;Все файлы (*.*)"}));
        QCOMPARE(w->answers->warnings, QStringList());
        QVERIFY(w->documentImage());
        QCOMPARE(QByteArray(w->documentImage()->data(), TK440::Size), bytes);
        QCOMPARE(QByteArray(w->workingCopy()->data(), TK440::Size), bytes);
        QCOMPARE(texts(*log),
                 QStringList({"Загружена конфигурация из файла: " + path + " (402 байт)",
                              "Загружена конфигурация контроллера K-330RB"}));
        QCOMPARE(w->statusBar()->currentMessage(), QStringLiteral("Файл открыт"));
        QCOMPARE(recentFiles().value(0), path);
        QVERIFY(w->currentFile());
        QCOMPARE(w->currentFile()->fileName(), path);
    }

    void openBadFile_data()
    {
        QTest::addColumn<QByteArray>("contents"); // empty: no file at all
        QTest::addColumn<QString>("warning");
        QTest::addColumn<bool>("listed"); // in the recent list, "Файл открыт" shown
        QByteArray damaged = validFile(TK440::ModelRA);
        damaged[200] = char(damaged[200] ^ 0x10);
        QByteArray damagedCrc = validFile(TK440::ModelRA);
        damagedCrc[1] = char(damagedCrc[1] ^ 0x01);
        QTest::newRow("401 bytes")
            << validFile(TK440::ModelRA).left(401) << " не соответсвует типу контроллера." << false;
        QTest::newRow("403 bytes")
            << validFile(TK440::ModelRA) + '\0' << " не соответсвует типу контроллера." << false;
        QTest::newRow("missing") << QByteArray() << " не удалось открыть." << false;
        QTest::newRow("one byte changed") << damaged << " поврежден." << true;
        QTest::newRow("checksum byte changed") << damagedCrc << " поврежден." << true;
    }
    void openBadFile()
    {
        QFETCH(QByteArray, contents);
        QFETCH(QString, warning);
        QFETCH(bool, listed);
        const QString path = dir.filePath("bad.mcd");
        QFile::remove(path);
        if (!contents.isEmpty())
            writeRaw(path, contents);

        // A configuration is open: the question comes first, and "&Да" closes it.
        w->answers->createIndex = 1;
        w->create();
        QVERIFY(w->documentImage());
        log->clear();
        w->answers->yesNo << true;
        w->answers->openNames << path;
        w->open();

        QCOMPARE(w->answers->asked, QStringList({"Закрыть текущее устройство"}));
        QCOMPARE(w->answers->warnings, QStringList({"Файл " + path + warning}));
        QVERIFY(!w->documentImage());
        QVERIFY(!w->action("saveAct")->isEnabled());
        QCOMPARE(texts(*log), QStringList({"Конфигурация закрыта"}));
        QCOMPARE(recentFiles().contains(path), listed);
        QCOMPARE(w->answers->statusAtWarning.value(0),
                 listed ? QStringLiteral("Файл открыт") : QString());
    }

    // Beside the warning, the log says which file is unusable and why.
    void defectLogged_data()
    {
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<QString>("reason");
        QTest::newRow("size") << validFile(TK440::ModelRB) + "xy"
                              << "размер 404 байт, а файл конфигурации занимает ровно 402 байта";
        QTest::newRow("checksum") << validFile(TK440::ModelRA).replace(200, 1, "\x01")
                                  << "контрольная сумма в файле 0x";
        QTest::newRow("model") << validFile(0x1234) << "код модели 0x1234 не принадлежит";
    }
    void defectLogged()
    {
        QFETCH(QByteArray, contents);
        QFETCH(QString, reason);
        const QString path = dir.filePath("defect.mcd");
        writeRaw(path, contents);
        w->answers->openNames << path;
        w->open();
        QVERIFY(!w->documentImage());
        QCOMPARE(w->logLines().filter("-> Файл " + path + ": " + reason).size(), 1);
    }

    void answeringNoChangesNothing()
    {
        w->answers->createIndex = 1;
        w->create();
        const TK440 *before = w->documentImage();
        w->answers->yesNo << false;
        w->answers->openNames << dir.filePath("whatever.mcd");
        w->open();
        w->answers->yesNo << false;
        w->answers->createIndex = 0;
        w->create();
        QCOMPARE(w->answers->asked.size(), 2);
        QCOMPARE(w->answers->openDialogs, 0);
        QCOMPARE(w->documentImage(), before);
        QCOMPARE(w->documentImage()->model(), TK440::ModelRB);
        QVERIFY(w->action("saveAct")->isEnabled());
    }

    void yesThenCancelLeavesNothingOpen()
    {
        w->answers->createIndex = 0;
        w->create();
        w->answers->yesNo << true;
        w->open(); // the file dialog is cancelled
        QCOMPARE(w->answers->openDialogs, 1);
        QVERIFY(!w->documentImage());
        QVERIFY(!w->action("saveAct")->isEnabled());
        QVERIFY(!w->action("saveAsAct")->isEnabled());
    }

    void createThenSaveOverwritesCurrentFile()
    {
        const QString path = dir.filePath("current.mcd");
        writeRaw(path, validFile(TK440::ModelRA));
        w->answers->openNames << path;
        w->open();
        QVERIFY(w->documentImage());

        w->answers->yesNo << true;
        w->answers->createIndex = 1;
        w->create();
        QCOMPARE(w->documentImage()->model(), TK440::ModelRB);
        w->action("saveAct")->trigger();

        QCOMPARE(w->answers->saveDialogs, 0);
        QCOMPARE(w->answers->warnings, QStringList());
        const QByteArray raw = readRaw(path);
        QCOMPARE(raw.size(), 402);
        QCOMPARE(quint8(raw[388]), quint8(0x01));
        QVERIFY(isValidStoredImage(Crc16(), raw));
    }

    void recentFileEntryOpensItsFile()
    {
        const QString path = dir.filePath("recent.mcd");
        writeRaw(path, validFile(TK440::ModelRB));
        QSettings().setValue(QStringLiteral("recentFileList"), QStringList {path});
        w = std::make_unique<TestK440>();
        log = std::make_unique<QSignalSpy>(w.get(), &K440::mes);
        QAction *entry = w->action("recentFileAct0");
        QVERIFY(entry->isVisible());
        entry->trigger();
        QVERIFY(w->documentImage());
        QCOMPARE(w->documentImage()->model(), TK440::ModelRB);
        QCOMPARE(w->currentFile()->fileName(), path);
        QCOMPARE(w->answers->openDialogs, 0);
    }

    void shutForgetsTheFile()
    {
        const QString path = dir.filePath("shut.mcd");
        writeRaw(path, validFile(TK440::ModelRA));
        w->answers->openNames << path;
        w->open();
        w->action("closeAct")->trigger();
        QVERIFY(!w->currentFile());
        QVERIFY(!w->documentImage());
        QVERIFY(!w->action("saveAct")->isEnabled());
        QCOMPARE(w->answers->asked, QStringList());

        // Once a configuration is shown again, saving asks for a name.
        w->answers->createIndex = 0;
        w->create();
        w->action("saveAct")->trigger();
        QCOMPARE(w->answers->saveDialogs, 1);
        QCOMPARE(readRaw(path), validFile(TK440::ModelRA));
    }

    void saveFailures()
    {
        w->answers->createIndex = 0;
        w->create();

        // The target cannot be created.
        const QString nowhere = dir.filePath("no/such/dir/x.mcd");
        w->answers->saveNames << nowhere;
        w->saveAs();
        QCOMPARE(w->answers->warnings, QStringList({"Файл " + nowhere + " не удалось открыть."}));

        // A write that fails part-way keeps the previous file as it was.
        const QString path = dir.filePath("old.mcd");
        const QByteArray old = validFile(TK440::ModelRB);
        writeRaw(path, old);
        w->answers->saveNames << path;
        log->clear();
        {
            FileSizeLimit limit(100);
            QVERIFY(limit.ok);
            w->saveAs();
        }
        QCOMPARE(w->answers->warnings.value(1), "Файл " + path + " не удалось записать.");
        QCOMPARE(readRaw(path), old);
        QCOMPARE(log->size(), 0);
        QVERIFY(!recentFiles().contains(path));
    }

    void saveInReadOnlyFolder_data()
    {
        QTest::addColumn<bool>("fits"); // false: only 100 bytes can be written
        QTest::newRow("written in place") << true;
        QTest::newRow("short write") << false;
    }
    void saveInReadOnlyFolder()
    {
        QFETCH(bool, fits);
        // Everything the save touches, the settings included, lies where the ordinary user
        // may go; only the folder of the configuration file is read-only.
        QTemporaryDir root;
        QVERIFY(root.isValid());
        QCOMPARE(chmod(QFile::encodeName(root.path()).constData(), 0777), 0);
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, root.filePath("settings"));
        const auto settingsBack = qScopeGuard([this] {
            QSettings::setPath(QSettings::IniFormat, QSettings::UserScope,
                               dir.filePath("settings"));
        });
        const QString folder = root.filePath("ro");
        QVERIFY(QDir().mkdir(folder));
        const QString path = folder + "/old.mcd";
        writeRaw(path, validFile(TK440::ModelRB));
        QCOMPARE(chmod(QFile::encodeName(path).constData(), 0666), 0);
        QCOMPARE(chmod(QFile::encodeName(folder).constData(), 0555), 0);
        const auto folderBack =
            qScopeGuard([folder] { chmod(QFile::encodeName(folder).constData(), 0755); });

        w->answers->createIndex = 0;
        w->create();
        w->answers->saveNames << path;
        log->clear();
        {
            const OrdinaryUser user;
            if (QFile(folder + "/probe").open(QIODevice::WriteOnly))
                QSKIP("the folder cannot be made read-only for this process");
            if (!QFile(path).open(QIODevice::ReadWrite))
                QSKIP("the ordinary user cannot reach the temporary folder");
            std::optional<FileSizeLimit> limit;
            if (!fits) {
                limit.emplace(100);
                QVERIFY(limit->ok);
            }
            w->saveAs();
        }

        if (fits) {
            QCOMPARE(w->answers->warnings, QStringList());
            QCOMPARE(texts(*log),
                     QStringList(
                         {"Конфигурация контроллера K-330RA(402 байт) записана в файл: " + path}));
            QCOMPARE(readRaw(path), QByteArray(w->documentImage()->data(), TK440::Size));
            QVERIFY(isValidStoredImage(Crc16(), readRaw(path)));
            QCOMPARE(recentFiles().value(0), path);
        } else {
            // Written in place, the old contents are gone; the failure must not pass for a save.
            QCOMPARE(w->answers->warnings, QStringList({"Файл " + path + " не удалось записать."}));
            QCOMPARE(log->size(), 0);
            QVERIFY(!recentFiles().contains(path));
        }
    }

    void fifoRefused_data()
    {
        QTest::addColumn<QString>("door");
        QTest::newRow("open dialog") << "open";
        QTest::newRow("recent list") << "recent";
        QTest::newRow("firmware") << "firmware";
        QTest::newRow("save over it in a read-only folder") << "save";
    }
    void fifoRefused()
    {
        QFETCH(QString, door);
        QTemporaryDir root;
        QVERIFY(root.isValid());
        QCOMPARE(chmod(QFile::encodeName(root.path()).constData(), 0777), 0);
        const QString folder = root.filePath("f");
        QVERIFY(QDir().mkdir(folder));
        const QString path = folder + (door == "firmware" ? "/x.rom" : "/x.mcd");
        QCOMPARE(mkfifo(QFile::encodeName(path).constData(), 0666), 0);
        QCOMPARE(chmod(QFile::encodeName(path).constData(), 0666), 0); // whatever the umask

        if (door == "recent") {
            QSettings().setValue(QStringLiteral("recentFileList"), QStringList {path});
            w = std::make_unique<TestK440>();
            log = std::make_unique<QSignalSpy>(w.get(), &K440::mes);
        }
        if (door == "save") {
            w->answers->createIndex = 0;
            w->create();
            log->clear();
            // In a read-only folder the save would write the FIFO in place.
            QCOMPARE(chmod(QFile::encodeName(folder).constData(), 0555), 0);
            const auto folderBack =
                qScopeGuard([folder] { chmod(QFile::encodeName(folder).constData(), 0755); });
            const OrdinaryUser user;
            if (QFile(folder + "/probe").open(QIODevice::WriteOnly))
                QSKIP("the folder cannot be made read-only for this process");
            FifoUnblocker guard(path, O_RDONLY);
            w->answers->saveNames << path;
            w->saveAs();
            QVERIFY2(!guard.fired(), "blocked writing the FIFO");
        } else {
            FifoUnblocker guard(path, O_WRONLY);
            if (door == "open") {
                w->answers->openNames << path;
                w->open();
            } else if (door == "recent") {
                w->action("recentFileAct0")->trigger();
            } else {
                w->answers->openNames << path;
                w->load();
            }
            QVERIFY2(!guard.fired(), "blocked reading the FIFO");
        }

        QCOMPARE(w->answers->warnings, QStringList({"Файл " + path + " не удалось открыть."}));
        QCOMPARE(log->size(), 0);
        QVERIFY(!w->findSubWindow(QStringLiteral("Загрузить ПО")));
        QCOMPARE(w->firmwareSize(), 0);
        if (door != "save")
            QVERIFY(!w->documentImage());
        if (door != "recent")
            QVERIFY(!recentFiles().contains(path));
        const QFileInfo after(path);
        QVERIFY(after.exists() && !after.isFile()); // still the FIFO
    }

    void infoPageEditsTheDocumentImage()
    {
        w->answers->createIndex = 1;
        w->create();
        const QByteArray created(w->documentImage()->data(), TK440::Size);
        w->openWin(QStringLiteral("Информация"));
        QMdiSubWindow *sub = w->findSubWindow(QStringLiteral("Информация"));
        QVERIFY(sub);
        QWidget *info = sub->widget();
        QCOMPARE(info->findChild<QLabel *>(QStringLiteral("sModel"))->text(),
                 QStringLiteral("K-330RB"));
        QCOMPARE(info->findChild<QLabel *>(QStringLiteral("sNum"))->text(), QStringLiteral("0000"));
        QCOMPARE(info->findChild<QLabel *>(QStringLiteral("sDate"))->text(),
                 QDate::currentDate().toString(QStringLiteral("dd.MM.yyyy")));
        info->findChild<QGroupBox *>(QStringLiteral("boxEdit"))->setChecked(true);
        info->findChild<QTextEdit *>(QStringLiteral("textEdit"))
            ->setPlainText(QStringLiteral("Щит 3"));
        QTest::mouseClick(info->findChild<QPushButton *>(QStringLiteral("bClose")), Qt::LeftButton);
        QTRY_VERIFY(!w->findSubWindow(QStringLiteral("Информация")));

        const TK440 *image = w->documentImage();
        QCOMPARE(image->b[TK440::DescLenOffset], quint8(5));
        QCOMPARE(QByteArray(image->data() + TK440::DescOffset, 5), QByteArray("\xD9\xE8\xF2 3"));
        // Only the description changed.
        QCOMPARE(QByteArray(image->data(), TK440::DescLenOffset),
                 created.left(TK440::DescLenOffset));
        QCOMPARE(QByteArray(image->data() + TK440::IdentOffset, TK440::IdentSize),
                 created.mid(TK440::IdentOffset));

        // What is saved is the document image with the description.
        const QString path = dir.filePath("info.mcd");
        w->answers->saveNames << path;
        w->saveAs();
        const QByteArray raw = readRaw(path);
        QCOMPARE(raw.mid(TK440::DescLenOffset, 6), QByteArray("\x05\xD9\xE8\xF2 3"));
        QVERIFY(isValidStoredImage(Crc16(), raw));
    }

private:
    QTemporaryDir dir;
    std::unique_ptr<TestK440> w;
    std::unique_ptr<QSignalSpy> log;
};

QTEST_MAIN(TstK440Files)
#include "tst_k440files.moc"
