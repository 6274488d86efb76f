#include "app/startup.h"

#include "config/crc16.h"
#include "config/defaultimage.h"
#include "config/image.h"
#include "device/linkoptions.h"
#include "k330/version.h"
#include "sim/simcontroller.h"

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

StartOptions parseStartOptions(const QStringList &arguments)
{
    StartOptions options;
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
    addLinkOptions(parser);
    parser.process(arguments);
    options.logFile = parser.value(logOption);
    // The simulated controller and the USB trace take effect when the worker thread is made.
    const QString linkError = applyLinkOptions(parser);
    if (!linkError.isEmpty()) {
        std::fprintf(stderr, "k330-terminal: %s\n", qPrintable(linkError));
        std::exit(1);
    }
    // The simulated controller starts with the factory defaults of its model, as a new
    // configuration has them, so that a first read shows sensible values.
    if (const auto sim = installedSimulator()) {
        TK440 defaults;
        makeDefaultImage(defaults, sim->identification().model);
        toDeviceForm(Crc16(), defaults);
        sim->setMemory(0, QByteArray(defaults.data(), TK440::IdentOffset));
    }
    return options;
}
