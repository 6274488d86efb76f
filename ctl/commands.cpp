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

namespace {

// What each status means; 0 and 1 mean one thing for a comparison of files and another for
// the controller.
const char *const Done = QT_TRANSLATE_NOOP("k330ctl", "успешно");
const char *const FilesEqual = QT_TRANSLATE_NOOP("k330ctl", "файлы совпадают");
const char *const FilesDiffer = QT_TRANSLATE_NOOP("k330ctl", "файлы различаются");
const char *const ControllerDiffers =
    QT_TRANSLATE_NOOP("k330ctl", "содержимое контроллера отличается от файла");
const char *const Usage = QT_TRANSLATE_NOOP("k330ctl", "ошибка в командной строке");
const char *const Absent = QT_TRANSLATE_NOOP("k330ctl", "контроллер не найден");
const char *const Transfer =
    QT_TRANSLATE_NOOP("k330ctl", "сбой обмена (обмен не удался или контроллер отказал)");
const char *const Invalid = QT_TRANSLATE_NOOP(
    "k330ctl", "недопустимый файл (не открывается, короткий, поврежден, неизвестная модель)");
const char *const Unsaved = QT_TRANSLATE_NOOP(
    "k330ctl", "выходной файл не удается записать (прежний файл остается как был)");

const QList<StatusLine> FileStatuses {{Success, Done}, {UsageError, Usage}, {InvalidFile, Invalid}};
const QList<StatusLine> ControllerStatuses {
    {Success, Done},        {Different, ControllerDiffers}, {UsageError, Usage},
    {NoController, Absent}, {TransferFailed, Transfer},     {InvalidFile, Invalid}};

} // namespace

QString statusHelp(const QList<StatusLine> &statuses)
{
    // The heading stays the same in every language: scripts and the manual page look for it.
    // A status with several meanings (in the general help) is one line, the meanings joined.
    QString text = QStringLiteral("Exit status:");
    int last = -1;
    for (const StatusLine &s : statuses) {
        if (int(s.status) == last)
            text += QStringLiteral("; ") + Ctl::tr(s.meaning);
        else
            text += QStringLiteral("\n  %1  %2").arg(int(s.status)).arg(Ctl::tr(s.meaning));
        last = int(s.status);
    }
    return text + QLatin1Char('\n');
}

QList<StatusLine> allStatuses()
{
    static const char *const DiffEqual = QT_TRANSLATE_NOOP("k330ctl", "diff: файлы совпадают");
    static const char *const AnyDiffers =
        QT_TRANSLATE_NOOP("k330ctl",
                          "diff: файлы различаются; write, verify, load-firmware: "
                          "содержимое контроллера отличается от файла");
    return {{Success, Done},        {Success, DiffEqual},   {Different, AnyDiffers},
            {UsageError, Usage},    {NoController, Absent}, {TransferFailed, Transfer},
            {InvalidFile, Invalid}, {SaveFailed, Unsaved}};
}

const QString JsonName = QStringLiteral("json");
const QString OutputName = QStringLiteral("output");

QCommandLineOption jsonOption()
{
    return QCommandLineOption(JsonName,
                              Ctl::tr("Вывести результат в формате JSON на стандартный вывод."));
}

namespace {

QCommandLineOption outputOption()
{
    return QCommandLineOption({QStringLiteral("o"), OutputName},
                              Ctl::tr("Сохранить конфигурацию в <file> (для нескольких "
                                      "контроллеров: в папку <file>)."),
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
    if (differentModels(a, b))
        say(Ctl::tr("Конфигурации разных моделей: %1 и %2; сравниваются только общие разделы.")
                .arg(modelName(a.model()), modelName(b.model())));
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
            Ctl::tr("Режим работы при записи: от 1 (пользовательский, только разделы; по "
                    "умолчанию) до 6, или 10 (также область информации)."),
            QStringLiteral("n")));
    };
    const auto fileArg = [](QCommandLineParser &p, const char *name) {
        p.addPositionalArgument(QLatin1String(name), Ctl::tr("Файл конфигурации."));
    };
    return {
        {"new",
         "new --model RA|RB -o FILE",
         QT_TRANSLATE_NOOP("k330ctl",
                           "Сохранить новую конфигурацию, которую терминал создает для модели."),
         0,
         [](QCommandLineParser &p) {
             p.addOption(QCommandLineOption(QStringLiteral("model"),
                                            Ctl::tr("Модель контроллера: RA или RB."),
                                            QStringLiteral("model")));
             p.addOption(outputOption());
         },
         runNew,
         {{Success, Done}, {UsageError, Usage}, {SaveFailed, Unsaved}}},
        {"show", "show [--json] FILE",
         QT_TRANSLATE_NOOP("k330ctl",
                           "Вывести идентификацию, информацию и каждый раздел FILE в "
                           "виде именованных полей."),
         1,
         [fileArg](QCommandLineParser &p) {
             p.addOption(jsonOption());
             fileArg(p, "FILE");
         },
         runShow, FileStatuses},
        {"diff",
         "diff [--json] [--cpu] A B",
         QT_TRANSLATE_NOOP("k330ctl",
                           "Вывести поля, которыми различаются A и B (раздел / поле: "
                           "A | B); у файлов разных моделей только общие разделы; "
                           "record:UUID — образ записи журнала операций."),
         2,
         [fileArg](QCommandLineParser &p) {
             p.addOption(jsonOption());
             addRecordsOption(p);
             p.addOption(QCommandLineOption(
                 QStringLiteral("cpu"),
                 Ctl::tr("Сравнивать также серийный номер и идентификатор процессора.")));
             fileArg(p, "A");
             fileArg(p, "B");
         },
         runDiff,
         {{Success, FilesEqual},
          {Different, FilesDiffer},
          {UsageError, Usage},
          {InvalidFile, Invalid}}},
        {"read",
         "read [--json] [--device ID]... [--all] -o FILE|FOLDER",
         QT_TRANSLATE_NOOP("k330ctl",
                           "Прочитать конфигурацию контроллера в FILE (нескольких "
                           "контроллеров: по файлу в FOLDER, по серийному номеру)."),
         0,
         [](QCommandLineParser &p) {
             p.addOption(jsonOption());
             p.addOption(outputOption());
             addControllerOptions(p);
         },
         runRead,
         {{Success, Done},
          {UsageError, Usage},
          {NoController, Absent},
          {TransferFailed, Transfer},
          {SaveFailed, Unsaved}}},
        {"write", "write [--json] [--mode N] [--no-backup] [--device ID]... [--all] FILE",
         QT_TRANSLATE_NOOP("k330ctl", "Записать FILE в контроллер и проверить запись чтением."), 1,
         [modeOpt, fileArg](QCommandLineParser &p) {
             p.addOption(jsonOption());
             modeOpt(p);
             p.addOption(QCommandLineOption(
                 QStringLiteral("no-backup"),
                 Ctl::tr("Не сохранять в журнале операций конфигурацию контроллера перед "
                         "записью.")));
             addControllerOptions(p);
             fileArg(p, "FILE");
         },
         runWrite, ControllerStatuses},
        {"verify", "verify [--json] [--mode N] [--device ID]... [--all] FILE",
         QT_TRANSLATE_NOOP("k330ctl",
                           "Прочитать контроллер и сравнить с FILE: поля, которыми "
                           "они различаются (FILE | контроллер). Ничего не пишет."),
         1,
         [modeOpt, fileArg](QCommandLineParser &p) {
             p.addOption(jsonOption());
             modeOpt(p);
             addControllerOptions(p);
             fileArg(p, "FILE");
         },
         runVerify, ControllerStatuses},
        {"load-firmware", "load-firmware [--json] [--device ID]... [--all] FILE.rom",
         QT_TRANSLATE_NOOP("k330ctl",
                           "Загрузить ПО во флеш-память контроллера и проверить его "
                           "(режим загрузки без рукопожатия)."),
         1,
         [](QCommandLineParser &p) {
             p.addOption(jsonOption());
             addControllerOptions(p);
             p.addPositionalArgument(QStringLiteral("FILE.rom"), Ctl::tr("Файл ПО контроллера."));
         },
         runLoad, ControllerStatuses},
        {"list",
         "list [--json]",
         QT_TRANSLATE_NOOP("k330ctl",
                           "Вывести подключенные контроллеры по пути порта: модель, "
                           "серийный номер и ID процессора, версия ПО."),
         0,
         addListOptions,
         runList,
         {{Success, Done}, {UsageError, Usage}, {NoController, Absent}}},
        {"history",
         "history [--serial S] [--device PATH] [--operation OP] [--since DATE] "
         "[--json|--csv]",
         QT_TRANSLATE_NOOP("k330ctl", "Вывести записи журнала операций, новые первыми."),
         0,
         addHistoryOptions,
         runHistory,
         {{Success, Done}, {UsageError, Usage}}},
        {"restore", "restore --serial S [--at TIME] [--device PATH]",
         QT_TRANSLATE_NOOP("k330ctl",
                           "Записать обратно конфигурацию, которая была в контроллере "
                           "перед его последней записью (или на момент TIME)."),
         0, addRestoreOptions, runRestore, ControllerStatuses},
    };
}
