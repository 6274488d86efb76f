#pragma once
// A throwaway PostgreSQL server for tests: initdb into a temporary folder, listening only on a
// Unix socket in a folder of its own, run as the unprivileged user "nobody" when the test runs
// as root (as CI does; initdb and pg_ctl refuse root), stopped and removed at the end. Where
// PostgreSQL is not installed start() fails with a message that says so: tests fail, they do
// not skip.

#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariant>

#include <functional>

class PgServer
{
public:
    // The superuser initdb makes; every database and role of a test is made through it.
    static constexpr const char *Superuser = "k330";
    static constexpr int Port = 5432; // names the socket only: there is no TCP listener

    PgServer();
    ~PgServer();
    PgServer(const PgServer &) = delete;
    PgServer &operator=(const PgServer &) = delete;

    // Creates the cluster on the first call (with `hbaLines` before the line that trusts every
    // local connection), then starts the server. `durable` keeps fsync on, for benchmarks.
    bool start(const QStringList &hbaLines = {}, bool durable = false);
    bool stop();
    QString error() const { return lastError; }

    QString socketFolder() const;
    // postgresql://user@localhost:5432/database?host=<socket folder>
    QString url(const QString &database,
                const QString &user = QString::fromLatin1(Superuser)) const;
    // Runs statements as the superuser in `database`; false with error() on the first failure.
    // `value` takes the first column of the last statement's first row.
    bool exec(const QStringList &statements, const QString &database = QStringLiteral("postgres"),
              QVariant *value = nullptr);

private:
    bool run(const QString &program, const QStringList &arguments);

    QTemporaryDir root;
    QString bin; // the folder of initdb and pg_ctl
    bool created = false;
    bool running = false;
    QString lastError;
};

// Runs `body` as the user "nobody" when this process is root (in a child process, whose
// result comes back as bytes), or in this process otherwise: for checks of file permissions,
// which root would bypass. Empty on failure of the child.
QByteArray runUnprivileged(const std::function<QByteArray()> &body);
