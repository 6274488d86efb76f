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
    const QDir versions("/usr/lib/postgresql");
    for (const QString &v :
         versions.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::Reversed)) {
        if (QFile::exists(versions.filePath(v + "/bin/initdb")))
            return versions.filePath(v + "/bin");
    }
    return {};
}

// Hands a folder to "nobody" when running as root.
bool giveAway(const QString &path)
{
    const passwd *pw = ::getpwnam("nobody");
    return !asRoot()
        || (pw && ::chown(QFile::encodeName(path).constData(), pw->pw_uid, pw->pw_gid) == 0);
}

} // namespace

PgServer::PgServer()
    : root(QDir::tempPath() + "/k330pg-XXXXXX")
    , bin(serverBinaries())
{ }

PgServer::~PgServer()
{
    if (running)
        run("pg_ctl", {"-D", root.filePath("data"), "-m", "immediate", "-w", "stop"});
}

QString PgServer::socketFolder() const
{
    return root.filePath("run");
}

QString PgServer::url(const QString &database, const QString &user) const
{
    return QString("postgresql://%1@localhost:%2/%3?host=%4")
        .arg(user)
        .arg(Port)
        .arg(database, socketFolder());
}

bool PgServer::run(const QString &program, const QStringList &arguments)
{
    QProcess p;
    p.setWorkingDirectory(root.path());
    p.setProcessChannelMode(QProcess::MergedChannels);
    const QStringList asNobody {"--reuid=nobody", "--regid=nogroup", "--clear-groups"};
    if (asRoot())
        p.start("setpriv", asNobody + QStringList {bin + '/' + program} + arguments);
    else
        p.start(bin + '/' + program, arguments);
    if (p.waitForFinished(120000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0)
        return true;
    lastError = QString("%1 failed: %2 %3")
                    .arg(program, p.errorString(), QString::fromLocal8Bit(p.readAll()));
    return false;
}

bool PgServer::start(const QStringList &hbaLines, bool durable)
{
    if (bin.isEmpty()) {
        lastError = "PostgreSQL is not installed (no /usr/lib/postgresql/*/bin/initdb): "
                    "scripts/setup.sh installs it";
        return false;
    }
    const QString data = root.filePath("data");
    if (!created) {
        lastError = "cannot prepare the folders in " + root.path(); // unless initdb says more
        // The temporary folder is private to its owner: "nobody" must reach the two inside.
        QFile::setPermissions(root.path(), QFile::Permissions(0x7755));
        QFile hba(data + "/pg_hba.conf");
        created = QDir(root.path()).mkpath("data") && QDir().mkpath(socketFolder())
            && giveAway(data) && giveAway(socketFolder())
            && run("initdb",
                   {"-D", data, "-U", Superuser, "-A", "trust", "-E", "UTF8", "--locale=C",
                    "--no-sync", "--no-instructions"})
            && hba.open(QIODevice::WriteOnly | QIODevice::Truncate)
            && hba.write((hbaLines.join('\n') + "\nlocal all all trust\n").toUtf8()) > 0;
        if (!created)
            return false;
    }
    QString options = QString("-k %1 -p %2 -c listen_addresses=''").arg(socketFolder()).arg(Port);
    if (!durable)
        options += " -c fsync=off -c synchronous_commit=off";
    running = run("pg_ctl",
                  {"-D", data, "-l", socketFolder() + "/server.log", "-o", options, "-w", "-t",
                   "60", "start"});
    return running;
}

bool PgServer::stop()
{
    running = running && !run("pg_ctl", {"-D", root.filePath("data"), "-m", "fast", "-w", "stop"});
    return !running;
}

bool PgServer::exec(const QStringList &statements, const QString &database, QVariant *value)
{
    bool ok = true;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QPSQL", "pgserver-admin");
        db.setHostName(socketFolder());
        db.setPort(Port);
        db.setUserName(Superuser);
        db.setDatabaseName(database);
        ok = db.open();
        QSqlQuery q(db);
        for (int i = 0; ok && i < statements.size(); ++i)
            ok = q.exec(statements[i]);
        if (!ok)
            lastError = q.lastError().isValid() ? q.lastError().text() : db.lastError().text();
        else if (value)
            *value = q.next() ? q.value(0) : QVariant();
    }
    QSqlDatabase::removeDatabase("pgserver-admin");
    return ok;
}

QByteArray runUnprivileged(const std::function<QByteArray()> &body)
{
    int fds[2];
    if (!asRoot())
        return body();
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
        ::_exit(written ? 0 : 1); // none of the parent's objects is destroyed in the child
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
