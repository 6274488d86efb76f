#include "ctl/batchoutput.h"

#include <QJsonDocument>

#include <chrono>
#include <cstdio>
#include <sys/ioctl.h>
#include <unistd.h>
#include <utility>

namespace {

void writeTo(FILE *stream, const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fflush(stream);
}

int terminalWidth()
{
    winsize size {};
    if (ioctl(fileno(stderr), TIOCGWINSZ, &size) == 0 && size.ws_col > 20)
        return size.ws_col;
    return 80;
}

QString outcomeName(OperationOutcome outcome)
{
    switch (outcome) {
    case OperationOutcome::Done:
        return QStringLiteral("done");
    case OperationOutcome::NoController:
        return QStringLiteral("no-controller");
    case OperationOutcome::WrongModel:
        return QStringLiteral("wrong-model");
    case OperationOutcome::UnknownModel:
        return QStringLiteral("unknown-model");
    case OperationOutcome::TransferFailed:
        return QStringLiteral("transfer-failed");
    case OperationOutcome::Corrupt:
        return QStringLiteral("corrupt");
    case OperationOutcome::Differs:
        return QStringLiteral("differs");
    }
    return QString();
}

// The tenth of the progress a count has reached; a stage's last count is a tenth of its own.
int tenthOf(qint64 count, int total)
{
    return count >= total ? 10 : int(count * 10 / total);
}

} // namespace

BatchOutput::BatchOutput(const QList<ControllerIdentity> &controllers, bool json)
    : tty(isatty(fileno(stderr)))
    , json(json)
{
    if (tty)
        width = terminalWidth();
    for (const ControllerIdentity &c : controllers) {
        Row row;
        const bool known = c.identified();
        row.prefix = known ? c.path + QLatin1Char(' ') + c.serialText() : c.path;
        row.names = {{QStringLiteral("path"), c.path},
                     {QStringLiteral("serial"), known ? c.serialText() : QJsonValue()}};
        rows.append(row);
    }
    running = int(rows.size());
}

void BatchOutput::start(int i)
{
    QMutexLocker lock(&mutex);
    event(i, QStringLiteral("start"), {});
}

void BatchOutput::line(int i, const QString &text)
{
    QMutexLocker lock(&mutex);
    rows[i].text = text;
    rows[i].total = 0;
    plain(i, text);
}

void BatchOutput::stage(int i, const QString &text, int total)
{
    QMutexLocker lock(&mutex);
    Row &row = rows[i];
    row.text = text;
    row.total = total;
    row.count = -1;
    row.tenth = -1;
    plain(i, text);
    event(i, QStringLiteral("stage"),
          {{QStringLiteral("text"), text}, {QStringLiteral("total"), total}});
}

void BatchOutput::progress(int i, quint32 count)
{
    QMutexLocker lock(&mutex);
    Row &row = rows[i];
    if (row.total <= 0)
        return;
    row.count = count;
    dirty = true;
    const int tenth = tenthOf(count, row.total);
    if (tenth <= row.tenth)
        return;
    row.tenth = tenth;
    if (!tty)
        writeTo(stderr, QStringLiteral("%1: %2/%3\n").arg(row.prefix).arg(count).arg(row.total));
    event(i, QStringLiteral("progress"),
          {{QStringLiteral("count"), qint64(count)}, {QStringLiteral("total"), row.total}});
}

void BatchOutput::end(int i, Status status, const OperationResult &result,
                      const QJsonObject &fields)
{
    QMutexLocker lock(&mutex);
    QJsonObject values = fields;
    values.insert(QStringLiteral("status"), int(status));
    values.insert(QStringLiteral("outcome"), outcomeName(result.outcome));
    values.insert(QStringLiteral("message"), result.message);
    values.insert(QStringLiteral("bytes"), result.bytes);
    values.insert(QStringLiteral("differing"), result.differing);
    event(i, QStringLiteral("end"), values);
    rows[i].ended = true;
    rows[i].total = 0;
    dirty = true;
    --running;
    changed.notify_all();
}

void BatchOutput::waitForEnd()
{
    QMutexLocker lock(&mutex);
    while (running > 0) {
        changed.wait_for(mutex, std::chrono::milliseconds(100));
        if (tty && dirty)
            draw();
    }
    if (tty)
        draw();
}

void BatchOutput::summary(Status status, int succeeded)
{
    QMutexLocker lock(&mutex);
    if (!json)
        return;
    const QJsonObject o {{QStringLiteral("event"), QStringLiteral("summary")},
                         {QStringLiteral("controllers"), rows.size()},
                         {QStringLiteral("succeeded"), succeeded},
                         {QStringLiteral("status"), int(status)}};
    writeTo(stdout,
            QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact)) + QLatin1Char('\n'));
}

void BatchOutput::event(int i, const QString &name, QJsonObject values)
{
    if (!json)
        return;
    values.insert(QStringLiteral("event"), name);
    for (auto it = rows[i].names.constBegin(); it != rows[i].names.constEnd(); ++it)
        values.insert(it.key(), it.value());
    writeTo(stdout,
            QString::fromUtf8(QJsonDocument(values).toJson(QJsonDocument::Compact))
                + QLatin1Char('\n'));
}

// A message line: at once without a terminal, above the block at its next drawing with one.
void BatchOutput::plain(int i, const QString &text)
{
    const QString line = rows[i].prefix + QStringLiteral(": ") + text;
    if (tty) {
        above.append(line);
        dirty = true;
    } else {
        writeTo(stderr, line + QLatin1Char('\n'));
    }
}

QString BatchOutput::rowText(const Row &row) const
{
    QString text = row.prefix + QStringLiteral(": ") + row.text;
    if (row.total > 0 && row.count >= 0) {
        constexpr int BarWidth = 20;
        const qint64 count = qMin<qint64>(row.count, row.total);
        const int filled = int(BarWidth * count / row.total);
        QString bar = QStringLiteral(" [%1%2] %3/%4")
                          .arg(QString(filled, QLatin1Char('#')),
                               QString(BarWidth - filled, QLatin1Char('.')))
                          .arg(count)
                          .arg(row.total);
        // The bar stays whole; a long text gives way to it.
        text = text.left(width - 1 - bar.size()) + bar;
    }
    return text.left(width - 1);
}

// The block again: up to its first row, the messages since the last drawing above it, then
// one row per controller.
void BatchOutput::draw()
{
    QString out;
    if (drawn > 0)
        out += QStringLiteral("\033[%1A\r\033[J").arg(drawn);
    for (const QString &line : std::as_const(above))
        out += line + QLatin1Char('\n');
    above.clear();
    for (const Row &row : std::as_const(rows))
        out += rowText(row) + QLatin1Char('\n');
    drawn = int(rows.size());
    dirty = false;
    writeTo(stderr, out);
}

void BatchSink::finished(const OperationResult &result)
{
    if (!result.message.isEmpty())
        output.line(index, result.message);
}
