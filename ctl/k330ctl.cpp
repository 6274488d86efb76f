// k330ctl: the terminal's file and controller operations from the command line, for production
// lines and scripts. It links only the widget-free libraries. With no window to keep responsive,
// it waits for the controller in its main thread, calling the same exchange functions as the
// terminal's worker, so the bytes on the wire are the same.

#include "config/configfile.h"
#include "config/crc16.h"
#include "config/defaultimage.h"
#include "config/image.h"
#include "config/imagefields.h"
#include "config/language.h"
#include "config/modes.h"
#include "config/tk440.h"
#include "config/windows.h"
#include "ctl/list.h"
#include "device/configexchange.h"
#include "device/configprotocol.h"
#include "device/connection.h"
#include "device/connectionlink.h"
#include "device/devicelink.h"
#include "device/flashexchange.h"
#include "device/usbtransport.h"
#include "k330/version.h"
#include "sim/linkoptions.h"
#include "sim/simcontroller.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QThread>

#include <cstdio>
#include <cstring>
#include <functional>
#include <unistd.h>

namespace {

// Messages: the terminal's Russian texts, translated in the context "k330ctl".
struct Ctl
{
    Q_DECLARE_TR_FUNCTIONS(k330ctl)
};

// Exit statuses; `k330ctl --help` and the README list them.
enum Status {
    Success = 0, // done; diff: the files are equal
    Different = 1, // diff: the files differ; write, verify, load-firmware: the read-back differs
    UsageError = 2,
    NoController = 3,
    TransferFailed = 4, // an exchange failed or the controller refused it
    InvalidFile = 5, // an input file cannot be opened, is short, damaged or of an unknown model
    SaveFailed = 6, // the output file cannot be written (the previous one is left as it was)
};

const char *const StatusHelp = "Exit status:\n"
                               "  0  success; diff: the files are equal\n"
                               "  1  diff: the files differ; write, verify, load-firmware: the\n"
                               "     controller's contents differ from the file\n"
                               "  2  usage error\n"
                               "  3  no controller\n"
                               "  4  transfer failure (the exchange failed or was refused)\n"
                               "  5  invalid file (cannot be opened, short, damaged, unknown "
                               "model)\n"
                               "  6  the output file cannot be written\n";

void printOut(const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
}

// Standard error: log lines, stage lines and the progress, as a bar on a terminal and as
// plain lines otherwise.
class Reporter
{
public:
    Reporter()
        : tty(isatty(fileno(stderr)))
    { }

    void line(const QString &text)
    {
        clearBar();
        write(text + QLatin1Char('\n'));
        drawBar();
    }
    void begin(const QString &label, int total)
    {
        endBar();
        line(label);
        barTotal = total;
        barCount = -1;
        lastPlain = -1;
    }
    void count(quint32 n)
    {
        if (barTotal <= 0)
            return;
        barCount = int(n);
        if (tty) {
            drawBar();
        } else if (barCount != lastPlain) {
            lastPlain = barCount;
            write(QStringLiteral("%1/%2\n").arg(barCount).arg(barTotal));
        }
    }
    void endBar()
    {
        if (tty && barTotal > 0 && barCount >= 0)
            write(QStringLiteral("\n"));
        barTotal = 0;
        barCount = -1;
    }

private:
    void write(const QString &text)
    {
        const QByteArray bytes = text.toUtf8();
        std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
        std::fflush(stderr);
    }
    void clearBar()
    {
        if (tty && barTotal > 0 && barCount >= 0)
            write(QStringLiteral("\r\033[K"));
    }
    void drawBar()
    {
        if (!tty || barTotal <= 0 || barCount < 0)
            return;
        const int width = 40;
        const int filled = int(qint64(width) * qMin(barCount, barTotal) / barTotal);
        write(QStringLiteral("\r[%1%2] %3/%4")
                  .arg(QString(filled, QLatin1Char('#')), QString(width - filled, QLatin1Char('.')))
                  .arg(barCount)
                  .arg(barTotal));
    }

    bool tty;
    int barTotal = 0;
    int barCount = -1;
    int lastPlain = -1;
};

Reporter &reporter()
{
    static Reporter r;
    return r;
}

void say(const QString &text)
{
    reporter().line(text);
}

QString fileText(const QString &name, const char *tail)
{
    return Ctl::tr("Файл ") + name + Ctl::tr(tail);
}

// Model texts of the task windows.
QString windowModelText(quint16 model)
{
    switch (model) {
    case TK440::ModelRA:
        return Ctl::tr("К-330RA");
    case TK440::ModelRB:
        return Ctl::tr("К-330RB");
    default:
        return QStringLiteral("xxxxxxx");
    }
}

// Reads a configuration file as the terminal opens one; on failure says why.
Status loadImage(const QString &name, TK440 &image)
{
    switch (readConfigFile(name, image)) {
    case ConfigReadResult::OpenFailed:
        say(fileText(name, QT_TRANSLATE_NOOP("k330ctl", " не удалось открыть.")));
        return InvalidFile;
    case ConfigReadResult::WrongSize:
        say(fileText(name, QT_TRANSLATE_NOOP("k330ctl", " не соответсвует типу контроллера.")));
        return InvalidFile;
    case ConfigReadResult::ShortRead:
        say(fileText(name, QT_TRANSLATE_NOOP("k330ctl", " не удалось прочитать.")));
        return InvalidFile;
    case ConfigReadResult::Ok:
        break;
    }
    if (!imageChecksumValid(Crc16(), image)) {
        say(fileText(name, QT_TRANSLATE_NOOP("k330ctl", " поврежден.")));
        return InvalidFile;
    }
    return Success;
}

// Saves through the terminal's atomic save: the target is replaced only by a complete file.
Status saveImage(const QString &name, TK440 &image)
{
    switch (writeConfigFile(name, Crc16(), image)) {
    case ConfigWriteResult::OpenFailed:
        say(fileText(name, QT_TRANSLATE_NOOP("k330ctl", " не удалось открыть.")));
        return SaveFailed;
    case ConfigWriteResult::WriteFailed:
        say(fileText(name, QT_TRANSLATE_NOOP("k330ctl", " не удалось записать.")));
        return SaveFailed;
    case ConfigWriteResult::Ok:
        break;
    }
    say(Ctl::tr("Конфигурация контроллера ") + modelName(image.model()) + QStringLiteral("(")
        + QString::number(TK440::Size) + Ctl::tr(" байт) записана в файл: ") + name);
    return Success;
}

// Section titles and values in Russian whatever the language, as --json prints them for
// scripts; the text listings translate them (displayedText).
QList<ImageSection> describeStored(const TK440 &image)
{
    const SourceLanguageScope russian;
    return describeImage(image);
}

QList<FieldDifference> compareStored(const TK440 &a, const TK440 &b, bool withCpu = false)
{
    const SourceLanguageScope russian;
    return compareImages(a, b, withCpu);
}

void printJson(const QJsonObject &o)
{
    printOut(QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Indented)));
}

QJsonArray differencesJson(const QList<FieldDifference> &diffs)
{
    QJsonArray list;
    for (const FieldDifference &d : diffs)
        list.append(QJsonObject {{QStringLiteral("section"), d.section},
                                 {QStringLiteral("field"), d.field},
                                 {QStringLiteral("a"), d.a},
                                 {QStringLiteral("b"), d.b}});
    return list;
}

void printDifferences(const QList<FieldDifference> &diffs)
{
    for (const FieldDifference &d : diffs)
        printOut(
            QStringLiteral("%1 / %2: %3 | %4\n")
                .arg(displayedText(d.section), d.field, displayedText(d.a), displayedText(d.b)));
}

// --- The controller -----------------------------------------------------------------------

// The open connection as the exchanges see it: the process itself waits for the controller.
ConnectionLink ctlLink(DeviceConnection &connection, int mode)
{
    return ConnectionLink(connection,
                          {[](int ms) { QThread::msleep(ulong(ms)); },
                           [](const QString &line) { say(line); },
                           [mode] {
                               return mode;
                           }});
}

// The link options shared by the controller commands, and --sim-state of this tool.
struct Controller
{
    LinkChoice choice;
    QString stateFile;
    DeviceConnection connection {{[](const QString &line) { say(line); },
                                  [](bool) {
                                  }}};

    ~Controller()
    {
        connection.release();
        saveState();
    }

    // Opens the controller as the terminal's hot-plug check does: configuration 2, handshake.
    void open()
    {
        connection.setTransport(choice.transport ? choice.transport() : makeLibusbTransport());
        connection.open(usb::ConfigNormal);
        connection.handshake();
    }

    // The simulated controller starts as the terminal's does (the defaults of its model), or
    // with the memory kept in the state file by an earlier run.
    bool prepareSimulator()
    {
        if (!choice.simulator)
            return true;
        if (!stateFile.isEmpty() && QFileInfo::exists(stateFile)) {
            QFile f(stateFile);
            if (!f.open(QIODevice::ReadOnly))
                return false;
            const QByteArray bytes = f.readAll();
            if (bytes.size() != TK440::IdentOffset)
                return false;
            choice.simulator->setMemory(0, bytes);
            return true;
        }
        TK440 defaults;
        makeDefaultImage(defaults, choice.simulator->identification().model);
        toDeviceForm(Crc16(), defaults);
        choice.simulator->setMemory(0, QByteArray(defaults.data(), TK440::IdentOffset));
        return true;
    }

    void saveState()
    {
        if (!choice.simulator || stateFile.isEmpty())
            return;
        QSaveFile f(stateFile);
        if (f.open(QIODevice::WriteOnly)) {
            f.write(choice.simulator->memory(0, TK440::IdentOffset));
            f.commit();
        }
    }
};

const QString SimStateName = QStringLiteral("sim-state");

void addControllerOptions(QCommandLineParser &parser)
{
    addLinkOptions(parser);
    parser.addOption(QCommandLineOption(
        SimStateName,
        QStringLiteral("With --simulate: keep the simulated controller's configuration memory in "
                       "<file> from one run to the next."),
        QStringLiteral("file")));
}

// Sets up the link the options ask for; UsageError with the reason printed when they cannot.
Status makeController(const QCommandLineParser &parser, Controller &c)
{
    c.choice = linkChoice(parser);
    if (!c.choice.error.isEmpty()) {
        say(QStringLiteral("k330ctl: ") + c.choice.error);
        return UsageError;
    }
    c.stateFile = parser.value(SimStateName);
    if (!c.prepareSimulator()) {
        say(QStringLiteral("k330ctl: cannot use the simulator state file ") + c.stateFile);
        return UsageError;
    }
    return Success;
}

// Reads the controller's configuration as the read window takes it.
Status readController(Controller &c, TK440 &image, bool *readModelOk = nullptr)
{
    const QString failed = Ctl::tr("Ошибка. Чтение конфигурации прервано.");
    c.open();
    if (!c.connection.isReady()) {
        say(failed);
        return NoController;
    }
    ConnectionLink link = ctlLink(c.connection, int(OperatingMode::User));
    TK440 record;
    std::memset(record.b, 0, TK440::Size);
    bool modelOk = true;
    const configuration::ReadProgress progress {
        [&] {
            const quint16 model = record.model();
            if (!isKnownModel(model)) {
                modelOk = false;
                say(Ctl::tr("Ошибка (") + QString::number(model)
                    + Ctl::tr("), чтение остановлено"));
                return;
            }
            // The read window's texts, the Cyrillic letter of the RB one included.
            reporter().begin(model == TK440::ModelRA
                                 ? Ctl::tr("Контроллер K-330RA, чтение конфигурации.")
                                 : Ctl::tr("Контроллер К-330RB, чтение конфигурации."),
                             TK440::Size);
        },
        [](quint32 count) { reporter().count(count); },
    };
    const bool ok = configuration::read(link, record, progress);
    reporter().endBar();
    if (readModelOk)
        *readModelOk = modelOk;
    if (!modelOk)
        return TransferFailed;
    if (!ok) {
        say(failed);
        return TransferFailed;
    }
    const ReadCheck check =
        fromDeviceForm(Crc16(), QByteArrayView(record.data(), TK440::Size), image);
    if (!check.ok) {
        say(Ctl::tr("Конфигурация повреждена, CRC: 0x") + QString::number(check.computed, 16)
            + QStringLiteral("!=0x") + QString::number(check.stored, 16));
        return TransferFailed;
    }
    return Success;
}

// --- Sub-commands -------------------------------------------------------------------------

struct Command
{
    const char *name;
    const char *synopsis;
    const char *summary;
    int arguments; // positional arguments it takes
    std::function<void(QCommandLineParser &)> options;
    std::function<int(const QCommandLineParser &)> run;
};

const QString JsonName = QStringLiteral("json");
const QString OutputName = QStringLiteral("output");

QCommandLineOption jsonOption()
{
    return QCommandLineOption(JsonName, QStringLiteral("Print the result as JSON on stdout."));
}

QCommandLineOption outputOption()
{
    return QCommandLineOption({QStringLiteral("o"), OutputName},
                              QStringLiteral("Save the configuration to <file>."),
                              QStringLiteral("file"));
}

int runNew(const QCommandLineParser &p)
{
    const QString model = p.value(QStringLiteral("model"));
    quint16 code = 0;
    if (model.compare(QLatin1String("RA"), Qt::CaseInsensitive) == 0)
        code = TK440::ModelRA;
    else if (model.compare(QLatin1String("RB"), Qt::CaseInsensitive) == 0)
        code = TK440::ModelRB;
    if (!code || p.value(OutputName).isEmpty()) {
        say(QStringLiteral("k330ctl new: --model RA|RB and -o FILE are required"));
        return UsageError;
    }
    TK440 image;
    makeDefaultImage(image, code);
    say(Ctl::tr("Создана новая конфигурация контроллера ") + modelName(code));
    return saveImage(p.value(OutputName), image);
}

int runShow(const QCommandLineParser &p)
{
    const QString name = p.positionalArguments().value(0);
    TK440 image;
    if (const Status s = loadImage(name, image); s != Success)
        return s;
    const QList<ImageSection> sections = describeStored(image);
    if (p.isSet(JsonName)) {
        QJsonArray list;
        for (const ImageSection &s : sections) {
            QJsonArray fields;
            for (const ImageField &f : s.fields) {
                QJsonObject o {{QStringLiteral("name"), f.name},
                               {QStringLiteral("value"), f.value}};
                if (!f.unit.isEmpty())
                    o.insert(QStringLiteral("unit"), f.unit);
                fields.append(o);
            }
            list.append(QJsonObject {{QStringLiteral("section"), s.title},
                                     {QStringLiteral("fields"), fields}});
        }
        printJson({{QStringLiteral("file"), name}, {QStringLiteral("sections"), list}});
        return Success;
    }
    QString out;
    for (const ImageSection &s : sections) {
        out += QStringLiteral("[%1]\n").arg(displayedText(s.title));
        for (const ImageField &f : s.fields) {
            out += QStringLiteral("  %1: %2").arg(f.name, displayedText(f.value));
            if (!f.unit.isEmpty())
                out += QLatin1Char(' ') + f.unit;
            out += QLatin1Char('\n');
        }
    }
    printOut(out);
    return Success;
}

int runDiff(const QCommandLineParser &p)
{
    const QStringList files = p.positionalArguments();
    TK440 a;
    TK440 b;
    if (const Status s = loadImage(files[0], a); s != Success)
        return s;
    if (const Status s = loadImage(files[1], b); s != Success)
        return s;
    const QList<FieldDifference> diffs = compareStored(a, b, p.isSet(QStringLiteral("cpu")));
    if (p.isSet(JsonName))
        printJson({{QStringLiteral("equal"), diffs.isEmpty()},
                   {QStringLiteral("differences"), differencesJson(diffs)}});
    else
        printDifferences(diffs);
    return diffs.isEmpty() ? Success : Different;
}

int runRead(const QCommandLineParser &p)
{
    const QString out = p.value(OutputName);
    if (out.isEmpty()) {
        say(QStringLiteral("k330ctl read: -o FILE is required"));
        return UsageError;
    }
    Controller c;
    if (const Status s = makeController(p, c); s != Success)
        return s;
    TK440 image;
    if (const Status s = readController(c, image); s != Success)
        return s;
    say(Ctl::tr("Контроллер ") + windowModelText(image.model())
        + Ctl::tr(", конфигурации прочитана."));
    if (const Status s = saveImage(out, image); s != Success)
        return s;
    if (p.isSet(JsonName))
        printJson({{QStringLiteral("file"), out},
                   {QStringLiteral("model"), modelName(image.model())},
                   {QStringLiteral("bytes"), TK440::Size}});
    return Success;
}

// --mode N: a known operating mode, 1 (user) by default.
bool modeOption(const QCommandLineParser &p, int *mode)
{
    bool ok = true;
    *mode = p.isSet(QStringLiteral("mode")) ? p.value(QStringLiteral("mode")).toInt(&ok)
                                            : int(OperatingMode::User);
    return ok && *mode >= int(OperatingMode::User)
        && (*mode <= int(OperatingMode::ServiceVocoder) || *mode == int(OperatingMode::ServiceAll));
}

int runWrite(const QCommandLineParser &p)
{
    const QString name = p.positionalArguments().value(0);
    int mode = 0;
    if (!modeOption(p, &mode)) {
        say(QStringLiteral("k330ctl write: --mode takes 1 to 6 or 10"));
        return UsageError;
    }
    TK440 image;
    if (const Status s = loadImage(name, image); s != Success)
        return s;
    const QString failed = Ctl::tr("Ошибка. Запись конфигурации прервана.");
    if (!isKnownModel(image.model())) {
        // The terminal never sends an image of an unknown model.
        say(Ctl::tr("Конфигурация не соответсвует типу контроллера."));
        return InvalidFile;
    }
    Controller c;
    if (const Status s = makeController(p, c); s != Success)
        return s;
    c.open();
    if (!c.connection.isReady()) {
        say(failed);
        return NoController;
    }
    TK440 record = image;
    toDeviceForm(Crc16(), record);
    const int count = writeLength(mode);
    const QString model = windowModelText(image.model());
    int differing = -1;
    ConnectionLink link = ctlLink(c.connection, mode);
    const configuration::WriteProgress progress {
        [&] {
            reporter().begin(Ctl::tr("Контроллер ") + model + Ctl::tr(", загрузка конфигурации."),
                             count);
        },
        [&] {
            reporter().begin(Ctl::tr("Контроллер ") + model + Ctl::tr(", проверка конфигурации."),
                             count);
        },
        [](quint32 n) { reporter().count(n); },
        [&](int n) { differing = n; },
    };
    const bool ok = configuration::write(link, record.data(), count, progress);
    reporter().endBar();
    if (!ok || differing < 0) {
        say(failed);
        return TransferFailed;
    }
    if (p.isSet(JsonName))
        printJson({{QStringLiteral("file"), name},
                   {QStringLiteral("model"), modelName(image.model())},
                   {QStringLiteral("bytes"), count},
                   {QStringLiteral("differing"), differing}});
    if (differing > 0)
        return Different;
    say(Ctl::tr("Контроллер ") + model + Ctl::tr(", конфигурации записана."));
    return Success;
}

int runVerify(const QCommandLineParser &p)
{
    const QString name = p.positionalArguments().value(0);
    int mode = 0;
    if (!modeOption(p, &mode)) {
        say(QStringLiteral("k330ctl verify: --mode takes 1 to 6 or 10"));
        return UsageError;
    }
    TK440 image;
    if (const Status s = loadImage(name, image); s != Success)
        return s;
    Controller c;
    if (const Status s = makeController(p, c); s != Success)
        return s;
    TK440 device;
    if (const Status s = readController(c, device); s != Success)
        return s;

    // What a write in this mode would have sent: the model, the sections and, where the mode
    // writes it, the information area.
    const bool withInfo = writeLength(mode) > TK440::ConfigAreaSize;
    const QString infoTitle = windowRow(WindowId::Info).titleText();
    QList<FieldDifference> diffs;
    for (const FieldDifference &d : compareStored(image, device)) {
        if (d.section == infoTitle && !withInfo)
            continue;
        if (d.section == identityTitle() && d.field != QLatin1String("model"))
            continue;
        diffs.append(d);
    }
    const int count = writeLength(mode);
    TK440 fileWire = image;
    TK440 deviceWire = device;
    toDeviceForm(Crc16(), fileWire);
    toDeviceForm(Crc16(), deviceWire);
    const int differing = image.model() != device.model()
        ? count
        : configuration::differingBytes(fileWire.data(), deviceWire.data(), count);
    say(Ctl::tr("Проверка загруженной конфигурации выполнена. Ошибочных ")
        + QString::number(differing) + Ctl::tr(" байтов"));
    if (p.isSet(JsonName))
        printJson({{QStringLiteral("file"), name},
                   {QStringLiteral("equal"), diffs.isEmpty()},
                   {QStringLiteral("differing"), differing},
                   {QStringLiteral("differences"), differencesJson(diffs)}});
    else
        printDifferences(diffs);
    return diffs.isEmpty() && differing == 0 ? Success : Different;
}

int runLoad(const QCommandLineParser &p)
{
    const QString name = p.positionalArguments().value(0);
    QFile f(name);
    if (!QFileInfo(name).isFile() || !f.open(QIODevice::ReadOnly)) {
        say(fileText(name, QT_TRANSLATE_NOOP("k330ctl", " не удалось открыть.")));
        return InvalidFile;
    }
    const qint64 expected = f.size();
    const QByteArray data = f.readAll();
    if (data.size() < expected) {
        say(fileText(name, QT_TRANSLATE_NOOP("k330ctl", " не удалось прочитать.")));
        return InvalidFile;
    }
    Controller c;
    if (const Status s = makeController(p, c); s != Success)
        return s;
    const QString failed = Ctl::tr("Ошибка. Загрузка ПО прервана.");
    QString model;
    int differing = 0;
    ConnectionLink link = ctlLink(c.connection, int(OperatingMode::ServiceFirmware));
    const int total = int(qMin<qint64>(data.size(), INT_MAX));
    const flash::LoadProgress progress {
        [&](quint16 m) {
            model = m == 0 ? Ctl::tr("в режиме boot") : modelName(m);
            reporter().begin(Ctl::tr("Контроллер ") + model + Ctl::tr(", загрузка ПО."), total);
        },
        [&] {
            reporter().begin(Ctl::tr("Контроллер ") + model + Ctl::tr(", проверка ПО."), total);
        },
        [](quint32 n) { reporter().count(n); },
        [&](int n) { differing = n; },
    };
    c.open();
    bool ok = false;
    if (c.connection.isReady()) {
        ok = flash::load(link, data.constData(), total, progress);
    } else if (c.connection.isOpen()) {
        ok = false; // opened but not handshaken: neither mode applies
    } else {
        // Boot mode, as the terminal's worker does it: configuration 1 and the stream endpoint.
        switch (c.connection.openBoot()) {
        case DeviceConnection::BootOpening::NoController:
            say(failed);
            return NoController;
        case DeviceConnection::BootOpening::EndpointFailed:
            break;
        case DeviceConnection::BootOpening::Ready:
            ok = flash::stream(link, data.constData(), total, progress);
            c.connection.drop();
            break;
        }
    }
    reporter().endBar();
    if (!ok) {
        say(failed);
        return TransferFailed;
    }
    if (differing > 0)
        return Different;
    say(Ctl::tr("Контроллер ") + model + Ctl::tr(", ПО загружено."));
    return Success;
}

QList<Command> commands()
{
    const auto modeOpt = [](QCommandLineParser &p) {
        p.addOption(QCommandLineOption(
            QStringLiteral("mode"),
            QStringLiteral("Operating mode to write in: 1 (user, the sections only; default) to 6, "
                           "or 10 (also the information area)."),
            QStringLiteral("n")));
    };
    return {
        {"new", "new --model RA|RB -o FILE",
         "Save the new configuration that the terminal makes for the model.", 0,
         [](QCommandLineParser &p) {
             p.addOption(QCommandLineOption(QStringLiteral("model"),
                                            QStringLiteral("Controller model: RA or RB."),
                                            QStringLiteral("model")));
             p.addOption(outputOption());
         },
         runNew},
        {"show", "show [--json] FILE",
         "List identity, information and every section of FILE as named fields.", 1,
         [](QCommandLineParser &p) {
             p.addOption(jsonOption());
             p.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("Configuration file."));
         },
         runShow},
        {"diff", "diff [--json] [--cpu] A B",
         "List the fields that differ between A and B (section / field: A | B).", 2,
         [](QCommandLineParser &p) {
             p.addOption(jsonOption());
             p.addOption(QCommandLineOption(
                 QStringLiteral("cpu"),
                 QStringLiteral("Also compare the processor serial number and identifier.")));
             p.addPositionalArgument(QStringLiteral("A"), QStringLiteral("Configuration file."));
             p.addPositionalArgument(QStringLiteral("B"), QStringLiteral("Configuration file."));
         },
         runDiff},
        {"read", "read [--json] -o FILE", "Read the controller's configuration into FILE.", 0,
         [](QCommandLineParser &p) {
             p.addOption(jsonOption());
             p.addOption(outputOption());
             addControllerOptions(p);
         },
         runRead},
        {"write", "write [--json] [--mode N] FILE",
         "Write FILE to the controller and verify it by reading it back.", 1,
         [modeOpt](QCommandLineParser &p) {
             p.addOption(jsonOption());
             modeOpt(p);
             addControllerOptions(p);
             p.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("Configuration file."));
         },
         runWrite},
        {"verify", "verify [--json] [--mode N] FILE",
         "Read the controller and list the fields that differ from FILE (FILE | controller).", 1,
         [modeOpt](QCommandLineParser &p) {
             p.addOption(jsonOption());
             modeOpt(p);
             addControllerOptions(p);
             p.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("Configuration file."));
         },
         runVerify},
        {"load-firmware", "load-firmware FILE.rom",
         "Load firmware into the controller's flash and verify it (boot mode without a "
         "handshake).",
         1,
         [](QCommandLineParser &p) {
             addControllerOptions(p);
             p.addPositionalArgument(QStringLiteral("FILE.rom"), QStringLiteral("Firmware file."));
         },
         runLoad},
        {"list", "list [--json]",
         "List the attached controllers by port path: model, processor serial and ID, firmware.", 0,
         addListOptions, runList},
    };
}

QString mainHelp()
{
    QString text = QStringLiteral("Usage: k330ctl COMMAND [options]\n"
                                  "K-330S controller configurations and firmware from the "
                                  "command line.\n\nCommands:\n");
    for (const Command &c : commands())
        text += QStringLiteral("  %1\n      %2\n")
                    .arg(QLatin1String(c.synopsis), QString::fromUtf8(c.summary));
    text += QStringLiteral("\n'k330ctl COMMAND --help' lists the options of a command. The "
                           "controller commands take --simulate, --sim-model RA|RB,\n--sim-state "
                           "FILE and --usb-trace FILE. Messages and progress go to standard "
                           "error.\n--lang ru|en chooses the language of the messages: Russian "
                           "by default, English\nwhere the desktop's language is neither "
                           "Russian nor the C locale.\n\n")
        + QLatin1String(StatusHelp);
    return text;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("OOO VELK"));
    QCoreApplication::setApplicationName(QStringLiteral("k330ctl"));
    QCoreApplication::setApplicationVersion(QStringLiteral(K330_VERSION));
    // --lang goes with any command, before or after its name.
    QStringList args = QCoreApplication::arguments();
    const QString languageError = setUpLanguage(takeLanguageArgument(args));
    if (!languageError.isEmpty()) {
        say(QStringLiteral("k330ctl: ") + languageError);
        return UsageError;
    }

    const QString first = args.value(1);
    if (first.isEmpty()) {
        std::fputs(qPrintable(mainHelp()), stderr);
        return UsageError;
    }
    if (first == QLatin1String("--help") || first == QLatin1String("-h")
        || first == QLatin1String("help")) {
        printOut(mainHelp());
        return Success;
    }
    if (first == QLatin1String("--version") || first == QLatin1String("-v")) {
        printOut(QStringLiteral("k330ctl " K330_VERSION "\n"));
        return Success;
    }
    for (const Command &c : commands()) {
        if (first != QLatin1String(c.name))
            continue;
        QCommandLineParser parser;
        parser.setApplicationDescription(QString::fromUtf8(c.summary));
        const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                      QStringLiteral("Show this help."));
        parser.addOption(help);
        c.options(parser);
        QStringList rest = args.mid(2);
        rest.prepend(args.first());
        const QString usage = QStringLiteral("Usage: k330ctl ") + QLatin1String(c.synopsis);
        if (!parser.parse(rest)) {
            say(QStringLiteral("k330ctl %1: %2\n%3").arg(first, parser.errorText(), usage));
            return UsageError;
        }
        if (parser.isSet(help)) {
            // Qt's own usage line names no sub-command: ours replaces it.
            QString text = parser.helpText();
            text = text.mid(text.indexOf(QLatin1Char('\n')) + 1);
            printOut(usage + QLatin1Char('\n') + text + QLatin1Char('\n')
                     + QLatin1String(StatusHelp));
            return Success;
        }
        if (parser.positionalArguments().size() != c.arguments) {
            say(QStringLiteral("k330ctl %1: wrong number of arguments\n%2").arg(first, usage));
            return UsageError;
        }
        return c.run(parser);
    }
    say(QStringLiteral("k330ctl: unknown command %1 (see k330ctl --help)").arg(first));
    return UsageError;
}
