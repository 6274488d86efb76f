#include "ctl/output.h"

#include "config/language.h"

#include <QElapsedTimer>
#include <QJsonDocument>

#include <cstdio>
#include <unistd.h>

namespace {

void writeTo(FILE *stream, const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
}

// Standard error: log lines, stage lines and the progress. On a terminal the progress is a bar
// redrawn at most ten times a second (and the full bar once); otherwise a plain count/total line
// at each further tenth of the stage, so that a log of a long load stays short.
class Reporter
{
public:
    static constexpr qint64 RedrawMs = 100;
    static constexpr int PlainSteps = 10;

    Reporter()
        : tty(isatty(fileno(stderr)))
    { }

    void line(const QString &text)
    {
        clearBar();
        write(text + QLatin1Char('\n'));
        drawBar();
    }
    void begin(const QString &label, int total)
    {
        endBar();
        line(label);
        barTotal = total;
        barCount = -1;
        drawn = -1;
        lastStep = 0;
    }
    void count(quint32 n)
    {
        if (barTotal <= 0)
            return;
        barCount = int(qMin(n, quint32(barTotal)));
        if (tty) {
            if (barCount == barTotal) {
                // The full bar stays on its line; what follows goes below it.
                drawBar();
                write(QStringLiteral("\n"));
                barTotal = 0;
            } else if (!sinceDrawn.isValid() || sinceDrawn.elapsed() >= RedrawMs) {
                drawBar();
            }
            return;
        }
        const int step = int(qint64(barCount) * PlainSteps / barTotal);
        if (step > lastStep) {
            lastStep = step;
            write(QStringLiteral("%1/%2\n").arg(barCount).arg(barTotal));
        }
    }
    void endBar()
    {
        if (tty && barTotal > 0 && drawn >= 0) {
            // The bar as it ended, unless it shows that already.
            if (drawn != barCount)
                drawBar();
            write(QStringLiteral("\n"));
        }
        barTotal = 0;
        barCount = -1;
        drawn = -1;
    }

private:
    void write(const QString &text)
    {
        writeTo(stderr, text);
        std::fflush(stderr);
    }
    void clearBar()
    {
        if (tty && barTotal > 0 && drawn >= 0)
            write(QStringLiteral("\r\033[K"));
    }
    void drawBar()
    {
        if (!tty || barTotal <= 0 || barCount < 0)
            return;
        const int width = 40;
        const int filled = int(qint64(width) * barCount / barTotal);
        write(QStringLiteral("\r[%1%2] %3/%4")
                  .arg(QString(filled, QLatin1Char('#')), QString(width - filled, QLatin1Char('.')))
                  .arg(barCount)
                  .arg(barTotal));
        drawn = barCount;
        sinceDrawn.start();
    }

    bool tty;
    int barTotal = 0;
    int barCount = -1;
    int drawn = -1; // the count the bar on the screen shows; -1: no bar drawn in this stage
    int lastStep = 0; // tenths of the stage already printed as plain lines
    QElapsedTimer sinceDrawn;
};

Reporter &reporter()
{
    static Reporter r;
    return r;
}

} // namespace

void printOut(const QString &text)
{
    writeTo(stdout, text);
}

void say(const QString &text)
{
    reporter().line(text);
}

QString fileText(const QString &name, const char *tail)
{
    return Ctl::tr("Файл ") + name + Ctl::tr(tail);
}

void ReporterSink::stage(const QString &text, int total)
{
    reporter().begin(text, total);
}

void ReporterSink::progress(quint32 count)
{
    reporter().count(count);
}

void ReporterSink::finished(const OperationResult &result)
{
    reporter().endBar();
    if (!result.message.isEmpty())
        say(result.message);
}

QList<ImageSection> describeStored(const TK440 &image)
{
    const SourceLanguageScope russian;
    return describeImage(image);
}

QList<FieldDifference> compareStored(const TK440 &a, const TK440 &b, bool withCpu)
{
    const SourceLanguageScope russian;
    return compareImages(a, b, withCpu);
}

void printJson(const QJsonObject &o)
{
    printOut(QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Indented)));
}

QJsonArray differencesJson(const QList<FieldDifference> &diffs)
{
    QJsonArray list;
    for (const FieldDifference &d : diffs)
        list.append(QJsonObject {{QStringLiteral("section"), d.section},
                                 {QStringLiteral("field"), d.field},
                                 {QStringLiteral("a"), d.a},
                                 {QStringLiteral("b"), d.b}});
    return list;
}

void printDifferences(const QList<FieldDifference> &diffs)
{
    for (const FieldDifference &d : diffs)
        printOut(
            QStringLiteral("%1 / %2: %3 | %4\n")
                .arg(displayedText(d.section), d.field, displayedText(d.a), displayedText(d.b)));
}
