#include "app/startup.h"

#include <QApplication>
#include <QCommandLineParser>

void initApplication(QApplication &app)
{
    QCoreApplication::setOrganizationName(QStringLiteral("OOO VELK"));
    QCoreApplication::setApplicationName(QStringLiteral("Terminal K-330S"));
    QCoreApplication::setApplicationVersion(QStringLiteral(K330_VERSION));
    Q_UNUSED(app);
}

bool parseStartOptions(const QApplication &app, StartOptions &options)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Terminal of the K-330S audio/radio communication controllers"));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption logOption(
        QStringLiteral("log"),
        QStringLiteral("Also append every line of the program log to <file> (UTF-8)."),
        QStringLiteral("file"));
    parser.addOption(logOption);
    parser.process(app);
    options.logFile = parser.value(logOption);
    return true;
}
