#pragma once
// Where operation records go: the station's own SQLite database, and optionally a PostgreSQL
// server that every station of a line writes into.
//
// A server is named by a URL of the form
//     postgresql://[user@][host][:port]/database[?host=/socket/folder][&sslmode=MODE]
// where the query's `host` names the folder of the server's Unix socket (and overrides the
// host part). Without a user the login name is used. A URL never carries a password: the
// password comes from ~/.pgpass, a service file (PGSERVICEFILE) or PGPASSWORD, which the
// PostgreSQL client library reads itself.

#include <QCommandLineOption>
#include <QCoreApplication>
#include <QString>

#include <optional>

struct RecordsConfig
{
    QString localPath; // the station's database file
    QString serverUrl; // empty: the station's database is the only one
    // Folder of a second fallback file, for when the database's own folder takes no file.
    QString spareFallbackFolder;
    // Pause between attempts to reach the server while it is away.
    int retrySeconds = 30;
};

struct ServerAddress
{
    QString user; // empty: the login name
    QString host; // a host name or the folder of a Unix socket
    int port = -1; // -1: the client library's default
    QString database;
    QString sslMode; // empty: the client library's default
};

class RecordsSettings
{
    Q_DECLARE_TR_FUNCTIONS(RecordsSettings)
public:
    // The terminal's data folder (its AppDataLocation) with records.sqlite: the same file for
    // the terminal and k330ctl, whose application names differ.
    static QString defaultLocalPath();

    // The server chosen: the command line's --records, else K330_RECORDS, else the setting
    // "Журнал на сервере"; empty when none names one.
    static QString chooseServerUrl(const QString &commandLine, const QString &setting);

    // The configuration for a server URL (possibly empty), with the default local database
    // and the temporary folder as the spare fallback folder.
    static RecordsConfig defaults(const QString &serverUrl);

    // The address a URL names; nullopt with the reason in `error` when the URL is not one
    // (a password in it included: the reason then says where the password belongs).
    static std::optional<ServerAddress> parseServerUrl(const QString &url, QString *error);

    // The address as a URL, for messages (it has no password to hide).
    static QString displayUrl(const ServerAddress &address);

    // The command-line option --records <url> of both executables.
    static QCommandLineOption commandLineOption();
};
