#include "app/startup.h"

#include "config/language.h"
#include "k330/version.h"
#include "records/recordsconfig.h"
#include "sim/linkoptions.h"

#include <QApplication>
#include <QCommandLineParser>

#include <cstdio>
#include <cstdlib>

void initApplication()
{
    QCoreApplication::setOrganizationName(QStringLiteral("OOO VELK"));
    QCoreApplication::setApplicationName(QStringLiteral("Terminal K-330S"));
    QCoreApplication::setApplicationVersion(QStringLiteral(K330_VERSION));
}

void setUpStartLanguage(const QStringList &arguments)
{
    const QString error = setUpLanguage(languageArgument(arguments));
    if (!error.isEmpty()) {
        std::fprintf(stderr, "k330-terminal: %s\n", qPrintable(error));
        std::exit(1);
    }
}

StartOptions parseStartOptions(const QStringList &arguments)
{
    StartOptions options;
    QCommandLineParser parser;
    parser.setApplicationDescription(QCoreApplication::translate(
        "CommandLine", "Терминал контроллеров системы аудио/радиосвязи K-330S"));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption logOption(
        QStringLiteral("log"),
        QCoreApplication::translate("CommandLine",
                                    "Также дописывать каждую строку лога программы в <file> "
                                    "(UTF-8)."),
        QStringLiteral("file"));
    parser.addOption(logOption);
    const QCommandLineOption recordsOption = RecordsSettings::commandLineOption();
    parser.addOption(recordsOption);
    // Read before the parser runs (setUpStartLanguage), listed here for --help.
    parser.addOption(
        QCommandLineOption(QStringLiteral("lang"), languageOptionHelp(), QStringLiteral("ru|en")));
    addLinkOptions(parser);
    parser.process(arguments);
    options.logFile = parser.value(logOption);
    options.recordsUrl = parser.value(recordsOption);
    // The simulated controller and the USB trace take effect when the main window makes its
    // worker thread.
    const LinkChoice link = linkChoice(parser);
    if (!link.error.isEmpty()) {
        std::fprintf(stderr, "k330-terminal: %s\n", qPrintable(link.error));
        std::exit(1);
    }
    options.transport = link.transport;
    // The simulated controllers start with the factory defaults of their model, as a new
    // configuration has them, so that a first read shows sensible values; or with the memory
    // --sim-state kept from an earlier run, which the terminal keeps again when it ends.
    if (!loadSimState(link)) {
        std::fprintf(stderr, "k330-terminal: cannot use the simulator state file %s\n",
                     qPrintable(link.stateFile));
        std::exit(1);
    }
    options.link = link;
    return options;
}
