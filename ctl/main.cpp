// k330ctl: the terminal's file and controller operations from the command line, for production
// lines and scripts. It links only the widget-free libraries and runs the terminal's own
// operations (device/operations/), so the bytes on the wire and the messages are the same.
// Here: the choice of the command and the help; commands.cpp and devicecommands.cpp run them,
// output.cpp prints, session.cpp holds the controller.

#include "config/language.h"
#include "ctl/commands.h"
#include "ctl/output.h"
#include "k330/version.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdio>

namespace {

// The synopsis lines and the "Exit status:" heading read the same in every language, as scripts
// and the manual page find them; the rest is in the interface language.
QString mainHelp()
{
    QString text = QStringLiteral("Usage: k330ctl COMMAND [options]\n")
        + Ctl::tr("Конфигурации и ПО контроллеров K-330S из командной строки.")
        + QLatin1String("\n\n") + Ctl::tr("Команды:") + QLatin1Char('\n');
    for (const Command &c : commands())
        text +=
            QStringLiteral("  %1\n      %2\n").arg(QLatin1String(c.synopsis), Ctl::tr(c.summary));
    text += QLatin1Char('\n')
        + Ctl::tr("'k330ctl COMMAND --help' перечисляет параметры команды и ее коды "
                  "завершения. Команды\nдля контроллера принимают --simulate, --sim-model "
                  "RA|RB, --sim-state FILE и --usb-trace FILE,\nа из нескольких подключенных "
                  "выбирают --device PATH|SERIAL (можно повторять) или --all;\nнесколько "
                  "работают одновременно.\nСообщения и ход выполнения "
                  "выводятся в стандартный поток ошибок.\n--lang ru|en выбирает язык "
                  "сообщений: по умолчанию русский, английский там,\nгде язык рабочего стола "
                  "не русский и не локаль C.")
        + QLatin1String("\n\n") + statusHelp(allStatuses());
    return text;
}

// Parses the command's options (the arguments after its name) and runs it.
int runCommand(const Command &c, const QStringList &args)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(Ctl::tr(c.summary));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  Ctl::tr("Показать эту справку."));
    parser.addOption(help);
    c.options(parser);
    QStringList rest = args.mid(2);
    rest.prepend(args.first());
    const QString name = QLatin1String(c.name);
    const QString usage = QStringLiteral("Usage: k330ctl ") + QLatin1String(c.synopsis);
    if (!parser.parse(rest)) {
        say(QStringLiteral("k330ctl %1: %2\n%3").arg(name, parser.errorText(), usage));
        return UsageError;
    }
    if (parser.isSet(help)) {
        // Qt's own usage line names no sub-command: ours replaces it.
        QString text = parser.helpText();
        text = text.mid(text.indexOf(QLatin1Char('\n')) + 1);
        printOut(usage + QLatin1Char('\n') + text + QLatin1Char('\n') + statusHelp(c.statuses));
        return Success;
    }
    if (parser.positionalArguments().size() != c.arguments) {
        say(QStringLiteral("k330ctl %1: wrong number of arguments\n%2").arg(name, usage));
        return UsageError;
    }
    return c.run(parser);
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
        if (first == QLatin1String(c.name))
            return runCommand(c, args);
    }
    say(QStringLiteral("k330ctl: unknown command %1 (see k330ctl --help)").arg(first));
    return UsageError;
}
