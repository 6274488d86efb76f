#include "ctl/commands.h"
#include "ctl/list.h"

#include "config/configfile.h"
#include "config/crc16.h"
#include "config/defaultimage.h"
#include "config/image.h"
#include "config/imagefields.h"
#include "ctl/output.h"
#include "ctl/session.h"

#include <QCommandLineParser>
#include <QJsonArray>
#include <QJsonObject>

const char *const StatusHelp = "Exit status:\n"
                               "  0  success; diff: the files are equal\n"
                               "  1  diff: the files differ; write, verify, load-firmware: the\n"
                               "     controller's contents differ from the file\n"
                               "  2  usage error\n"
                               "  3  no controller\n"
                               "  4  transfer failure (the exchange failed or was refused)\n"
                               "  5  invalid file (cannot be opened, short, damaged, unknown "
                               "model)\n"
                               "  6  the output file cannot be written\n"
                               "On several controllers: 0 when every one succeeded, otherwise "
                               "the highest\nstatus among them. A --device that matches no "
                               "controller: 3.\n";

const QString JsonName = QStringLiteral("json");
const QString OutputName = QStringLiteral("output");

QCommandLineOption jsonOption()
{
    return QCommandLineOption(JsonName, QStringLiteral("Print the result as JSON on stdout."));
}

namespace {

QCommandLineOption outputOption()
{
    return QCommandLineOption(
        {QStringLiteral("o"), OutputName},
        QStringLiteral("Save the configuration to <file> (with several controllers: into "
                       "the folder <file>)."),
        QStringLiteral("file"));
}

} // namespace

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

Status saveImage(const QString &name, TK440 &image,
                 const std::function<void(const QString &line)> &report)
{
    const auto tell = [&report](const QString &line) {
        report ? report(line) : say(line);
    };
    switch (writeConfigFile(name, Crc16(), image)) {
    case ConfigWriteResult::OpenFailed:
        tell(fileText(name, QT_TRANSLATE_NOOP("k330ctl", " не удалось открыть.")));
        return SaveFailed;
    case ConfigWriteResult::WriteFailed:
        tell(fileText(name, QT_TRANSLATE_NOOP("k330ctl", " не удалось записать.")));
        return SaveFailed;
    case ConfigWriteResult::Ok:
        break;
    }
    tell(Ctl::tr("Конфигурация контроллера ") + modelName(image.model()) + QStringLiteral("(")
         + QString::number(TK440::Size) + Ctl::tr(" байт) записана в файл: ") + name);
    return Success;
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
    if (const Status s = loadImageOrRecord(p, files[0], a); s != Success)
        return s;
    if (const Status s = loadImageOrRecord(p, files[1], b); s != Success)
        return s;
    const QList<FieldDifference> diffs = compareStored(a, b, p.isSet(QStringLiteral("cpu")));
    if (p.isSet(JsonName))
        printJson({{QStringLiteral("equal"), diffs.isEmpty()},
                   {QStringLiteral("differences"), differencesJson(diffs)}});
    else
        printDifferences(diffs);
    return diffs.isEmpty() ? Success : Different;
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
         "List the fields that differ between A and B (section / field: A | B); record:UUID "
         "names the image of an operation record.",
         2,
         [](QCommandLineParser &p) {
             p.addOption(jsonOption());
             addRecordsOption(p);
             p.addOption(QCommandLineOption(
                 QStringLiteral("cpu"),
                 QStringLiteral("Also compare the processor serial number and identifier.")));
             p.addPositionalArgument(QStringLiteral("A"), QStringLiteral("Configuration file."));
             p.addPositionalArgument(QStringLiteral("B"), QStringLiteral("Configuration file."));
         },
         runDiff},
        {"read", "read [--json] [--device ID]... [--all] -o FILE|FOLDER",
         "Read the controller's configuration into FILE (several controllers: one file each in "
         "FOLDER, named by processor serial).",
         0,
         [](QCommandLineParser &p) {
             p.addOption(jsonOption());
             p.addOption(outputOption());
             addControllerOptions(p);
         },
         runRead},
        {"write", "write [--json] [--mode N] [--no-backup] [--device ID]... [--all] FILE",
         "Write FILE to the controller and verify it by reading it back.", 1,
         [modeOpt](QCommandLineParser &p) {
             p.addOption(jsonOption());
             modeOpt(p);
             p.addOption(QCommandLineOption(
                 QStringLiteral("no-backup"),
                 QStringLiteral("Do not read the controller's configuration into the operation "
                                "records before writing.")));
             addControllerOptions(p);
             p.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("Configuration file."));
         },
         runWrite},
        {"verify", "verify [--json] [--mode N] [--device ID]... [--all] FILE",
         "Read the controller and list the fields that differ from FILE (FILE | controller).", 1,
         [modeOpt](QCommandLineParser &p) {
             p.addOption(jsonOption());
             modeOpt(p);
             addControllerOptions(p);
             p.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("Configuration file."));
         },
         runVerify},
        {"load-firmware", "load-firmware [--json] [--device ID]... [--all] FILE.rom",
         "Load firmware into the controller's flash and verify it (boot mode without a "
         "handshake).",
         1,
         [](QCommandLineParser &p) {
             p.addOption(jsonOption());
             addControllerOptions(p);
             p.addPositionalArgument(QStringLiteral("FILE.rom"), QStringLiteral("Firmware file."));
         },
         runLoad},
        {"list", "list [--json]",
         "List the attached controllers by port path: model, processor serial and ID, firmware.", 0,
         addListOptions, runList},
        {"history",
         "history [--serial S] [--device PATH] [--operation OP] [--since DATE] "
         "[--json|--csv]",
         "List the operation records, newest first.", 0, addHistoryOptions, runHistory},
        {"restore", "restore --serial S [--at TIME] [--device PATH]",
         "Write back the configuration the unit held before its last write (or at TIME).", 0,
         addRestoreOptions, runRestore},
    };
}
