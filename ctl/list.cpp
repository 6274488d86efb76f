#include "ctl/list.h"

#include "config/language.h"
#include "ctl/commands.h"
#include "ctl/output.h"
#include "device/controllers.h"
#include "sim/linkoptions.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

// One object a controller: its texts as the Info page shows them, or null ones and the
// reason it could not be identified.
QJsonArray listJson(const QList<ControllerIdentity> &controllers)
{
    QJsonArray list;
    for (const ControllerIdentity &c : controllers) {
        const bool ok = c.identified();
        QJsonObject o {{QStringLiteral("path"), c.path},
                       {QStringLiteral("model"), ok ? c.modelText() : QJsonValue()},
                       {QStringLiteral("serial"), ok ? c.serialText() : QJsonValue()},
                       {QStringLiteral("cpuId"), ok ? c.cpuIdText() : QJsonValue()},
                       {QStringLiteral("firmware"), ok ? c.versionText() : QJsonValue()}};
        if (!ok)
            o.insert(QStringLiteral("error"), c.reason);
        list.append(o);
    }
    return list;
}

} // namespace

QString listText(const QList<ControllerIdentity> &controllers)
{
    QString out;
    for (const ControllerIdentity &c : controllers) {
        out += c.path + QStringLiteral(": ");
        if (c.identified())
            out += c.modelText() + QStringLiteral(", ") + Ctl::tr("Процессор S/N:")
                + QLatin1Char(' ') + c.serialText() + QStringLiteral(", ")
                + Ctl::tr("Процессор ID:") + QLatin1Char(' ') + c.cpuIdText() + QStringLiteral(", ")
                + Ctl::tr("Версия ПО:") + QLatin1Char(' ') + c.versionText();
        else
            out += c.reason;
        out += QLatin1Char('\n');
    }
    return out;
}

void addListOptions(QCommandLineParser &parser)
{
    parser.addOption(jsonOption());
    addLinkOptions(parser);
}

int runList(const QCommandLineParser &parser)
{
    const LinkChoice choice = linkChoice(parser);
    if (!choice.error.isEmpty()) {
        say(QStringLiteral("k330ctl: ") + choice.error);
        return UsageError;
    }
    const UsbTransport::Factory factory = choice.transport ? choice.transport : [] {
        return makeLibusbTransport();
    };
    const bool json = parser.isSet(JsonName);
    QList<ControllerIdentity> controllers;
    if (json) {
        // The reasons in Russian whatever the language, as the other JSON results.
        const SourceLanguageScope russian;
        controllers = identifyControllers(factory);
        printOut(QString::fromUtf8(QJsonDocument(listJson(controllers)).toJson()));
    } else {
        controllers = identifyControllers(factory);
        printOut(listText(controllers));
    }
    if (controllers.isEmpty()) {
        say(Ctl::tr("Контроллеры на шине USB не найдены."));
        return NoController;
    }
    return Success;
}
