#include "records/recordsconfig.h"

#include <QDir>
#include <QStandardPaths>
#include <QUrl>
#include <QUrlQuery>

QString RecordsSettings::defaultLocalPath()
{
    // AppDataLocation of the terminal ("OOO VELK" / "Terminal K-330S"), spelled out so that
    // k330ctl, whose application name differs, opens the same file.
    const QString generic = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return QDir(generic).filePath(QStringLiteral("OOO VELK/Terminal K-330S/records.sqlite"));
}

QString RecordsSettings::chooseServerUrl(const QString &commandLine, const QString &setting)
{
    if (!commandLine.isEmpty())
        return commandLine;
    const QString environment = qEnvironmentVariable("K330_RECORDS");
    if (!environment.isEmpty())
        return environment;
    return setting;
}

RecordsConfig RecordsSettings::defaults(const QString &serverUrl)
{
    RecordsConfig config;
    config.localPath = defaultLocalPath();
    config.serverUrl = serverUrl;
    config.spareFallbackFolder = QDir::tempPath();
    return config;
}

std::optional<ServerAddress> RecordsSettings::parseServerUrl(const QString &text, QString *error)
{
    const QUrl url(text, QUrl::StrictMode);
    const QUrlQuery query(url);
    if (url.userInfo().contains(QLatin1Char(':'))
        || query.hasQueryItem(QStringLiteral("password"))) {
        *error = tr("Адрес журнала на сервере не должен содержать пароль: укажите пароль в файле "
                    "~/.pgpass, в файле служб PostgreSQL (PGSERVICEFILE) или в переменной "
                    "окружения PGPASSWORD");
        return std::nullopt;
    }
    if (!url.isValid()
        || (url.scheme() != QLatin1String("postgresql")
            && url.scheme() != QLatin1String("postgres"))
        || url.path().size() < 2 || url.path().indexOf(QLatin1Char('/'), 1) >= 0) {
        // Neither the user part nor the query is repeated: whatever they hold stays out of logs.
        *error = tr("Адрес журнала на сервере %1 не имеет вида "
                    "postgresql://пользователь@сервер:порт/база")
                     .arg(text.section(QLatin1Char('@'), -1).section(QLatin1Char('?'), 0, 0));
        return std::nullopt;
    }
    ServerAddress address;
    address.user = url.userName();
    address.host = url.host();
    address.port = url.port();
    address.database = url.path().mid(1);
    for (const auto &[key, value] : query.queryItems(QUrl::FullyDecoded)) {
        if (key == QLatin1String("host")) {
            address.host = value;
        } else if (key == QLatin1String("sslmode")) {
            address.sslMode = value;
        } else {
            *error = tr("Адрес журнала на сервере: неизвестный параметр %1").arg(key);
            return std::nullopt;
        }
    }
    return address;
}

QString RecordsSettings::displayUrl(const ServerAddress &a)
{
    QString url = QStringLiteral("postgresql://");
    if (!a.user.isEmpty())
        url += a.user + QLatin1Char('@');
    const bool socket = a.host.startsWith(QLatin1Char('/'));
    if (!socket)
        url += a.host;
    if (a.port >= 0)
        url += QLatin1Char(':') + QString::number(a.port);
    url += QLatin1Char('/') + a.database;
    if (socket)
        url += QStringLiteral("?host=") + a.host;
    return url;
}

QCommandLineOption RecordsSettings::commandLineOption()
{
    return QCommandLineOption(
        QStringLiteral("records"),
        QCoreApplication::translate("CommandLine",
                                    "Вести журнал операций также на сервере PostgreSQL <url> "
                                    "(postgresql://user@host:port/database); иначе K330_RECORDS."),
        QStringLiteral("url"));
}
