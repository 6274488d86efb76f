#include "pgserver.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

#include <grp.h>
#include <pwd.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

bool asRoot()
{
    return ::geteuid() == 0;
}

// The newest installed server's binaries, or empty.
QString serverBinaries()
{
    const QDir versions(QStringLiteral("/usr/lib/postgresql"));
    const QStringList found =
        versions.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::Reversed);
    for (const QString &version : found) {
        const QString bin = versions.filePath(version + QStringLiteral("/bin"));
        if (QFile::exists(bin + QStringLiteral("/initdb")))
            return bin;
    }
    return {};
}

// Hands a folder to "nobody" when running as root.
bool giveAway(const QString &path)
{
    if (!asRoot())
        return true;
    const passwd *pw = ::getpwnam("nobody");
    return pw && ::chown(QFile::encodeName(path).constData(), pw->pw_uid, pw->pw_gid) == 0;
}

} // namespace

PgServer::PgServer()
    : root(QDir::tempPath() + QStringLiteral("/k330pg-XXXXXX"))
    , bin(serverBinaries())
{ }

PgServer::~PgServer()
{
    if (running)
        run(bin + QStringLiteral("/pg_ctl"),
            {QStringLiteral("-D"), root.filePath(QStringLiteral("data")), QStringLiteral("-m"),
             QStringLiteral("immediate"), QStringLiteral("-w"), QStringLiteral("stop")});
}

QString PgServer::socketFolder() const
{
    return root.filePath(QStringLiteral("run"));
}

QString PgServer::url(const QString &database, const QString &user) const
{
    return QStringLiteral("postgresql://%1@localhost:%2/%3?host=%4")
        .arg(user)
        .arg(Port)
        .arg(database, socketFolder());
}

bool PgServer::run(const QString &program, const QStringList &arguments)
{
    QProcess p;
    p.setWorkingDirectory(root.path());
    p.setProcessChannelMode(QProcess::MergedChannels);
    if (asRoot()) {
        p.start(QStringLiteral("setpriv"),
                QStringList {QStringLiteral("--reuid=nobody"), QStringLiteral("--regid=nogroup"),
                             QStringLiteral("--clear-groups"), program}
                    + arguments);
    } else {
        p.start(program, arguments);
    }
    if (p.waitForFinished(120000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0)
        return true;
    lastError = QStringLiteral("%1 failed: %2%3")
                    .arg(program, p.errorString(), QString::fromLocal8Bit(p.readAll()));
    return false;
}

bool PgServer::start(const QStringList &hbaLines, bool durable)
{
    if (bin.isEmpty()) {
        lastError = QStringLiteral("PostgreSQL is not installed (no initdb under "
                                   "/usr/lib/postgresql/*/bin); scripts/setup.sh installs it");
        return false;
    }
    const QString data = root.filePath(QStringLiteral("data"));
    if (!created) {
        // The temporary folder is private to its owner: "nobody" must reach the two inside.
        QFile::setPermissions(root.path(),
                              QFile::permissions(root.path()) | QFile::ExeOther | QFile::ExeGroup
                                  | QFile::ReadOther);
        if (!QDir(root.path()).mkpath(QStringLiteral("data")) || !QDir().mkpath(socketFolder())
            || !giveAway(data) || !giveAway(socketFolder())) {
            lastError = QStringLiteral("cannot prepare the folders in %1").arg(root.path());
            return false;
        }
        if (!run(bin + QStringLiteral("/initdb"),
                 {QStringLiteral("-D"), data, QStringLiteral("-U"), QLatin1String(Superuser),
                  QStringLiteral("-A"), QStringLiteral("trust"), QStringLiteral("-E"),
                  QStringLiteral("UTF8"), QStringLiteral("--locale=C"), QStringLiteral("--no-sync"),
                  QStringLiteral("--no-instructions")}))
            return false;
        QFile hba(data + QStringLiteral("/pg_hba.conf"));
        if (!hba.open(QIODevice::WriteOnly | QIODevice::Truncate)
            || hba.write((hbaLines + QStringList {QStringLiteral("local all all trust")})
                             .join(QLatin1Char('\n'))
                             .toUtf8()
                         + '\n')
                < 0) {
            lastError = hba.errorString();
            return false;
        }
        created = true;
    }
    QString options =
        QStringLiteral("-k %1 -p %2 -c listen_addresses=''").arg(socketFolder()).arg(Port);
    if (!durable)
        options += QStringLiteral(" -c fsync=off -c synchronous_commit=off");
    running = run(bin + QStringLiteral("/pg_ctl"),
                  {QStringLiteral("-D"), data, QStringLiteral("-l"),
                   socketFolder() + QStringLiteral("/server.log"), QStringLiteral("-o"), options,
                   QStringLiteral("-w"), QStringLiteral("-t"), QStringLiteral("60"),
                   QStringLiteral("start")});
    return running;
}

bool PgServer::stop()
{
    if (!running)
        return true;
    running =
        !run(bin + QStringLiteral("/pg_ctl"),
             {QStringLiteral("-D"), root.filePath(QStringLiteral("data")), QStringLiteral("-m"),
              QStringLiteral("fast"), QStringLiteral("-w"), QStringLiteral("stop")});
    return !running;
}

bool PgServer::exec(const QStringList &statements, const QString &database)
{
    const QString name = QStringLiteral("pgserver-admin");
    bool ok = true;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
        db.setHostName(socketFolder());
        db.setPort(Port);
        db.setUserName(QLatin1String(Superuser));
        db.setDatabaseName(database);
        ok = db.open();
        QSqlQuery q(db);
        for (const QString &sql : statements) {
            if (!ok)
                break;
            ok = q.exec(sql);
        }
        if (!ok)
            lastError = q.lastError().isValid() ? q.lastError().text() : db.lastError().text();
    }
    QSqlDatabase::removeDatabase(name);
    return ok;
}

QByteArray runUnprivileged(const std::function<QByteArray()> &body)
{
    if (!asRoot())
        return body();
    int fds[2];
    if (::pipe(fds) != 0)
        return {};
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(fds[0]);
        const passwd *pw = ::getpwnam("nobody");
        if (!pw || ::setgroups(0, nullptr) != 0 || ::setgid(pw->pw_gid) != 0
            || ::setuid(pw->pw_uid) != 0)
            ::_exit(1);
        const QByteArray result = body();
        const bool written =
            ::write(fds[1], result.constData(), size_t(result.size())) == result.size();
        // No destructors or exit handlers of the parent's objects run in the child.
        ::_exit(written ? 0 : 1);
    }
    ::close(fds[1]);
    QByteArray result;
    char buffer[4096];
    for (ssize_t n; (n = ::read(fds[0], buffer, sizeof buffer)) > 0;)
        result.append(buffer, n);
    ::close(fds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? result : QByteArray();
}
