#pragma once
// What k330ctl prints: messages, stage lines and progress on standard error (a bar on a
// terminal, plain count/total lines otherwise), listings and JSON on standard output.

#include "config/imagefields.h"
#include "device/operations/operation.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonObject>
#include <QList>
#include <QString>

struct TK440;

// Messages: the terminal's Russian texts, translated in the context "k330ctl".
struct Ctl
{
    Q_DECLARE_TR_FUNCTIONS(k330ctl)
};

// Standard output, as it is.
void printOut(const QString &text);
// One line on standard error, around the progress bar.
void say(const QString &text);
// "Файл <name><tail>", the tail translated in the context "k330ctl".
QString fileText(const QString &name, const char *tail);

// An operation's stages as progress bars and its final message as a line.
class ReporterSink : public OperationSink
{
public:
    void stage(const QString &text, int total) override;
    void progress(quint32 count) override;
    void finished(const OperationResult &result) override;
};

// Section titles and values in Russian whatever the language, as --json prints them for
// scripts; the text listings translate them (displayedText).
QList<ImageSection> describeStored(const TK440 &image);
QList<FieldDifference> compareStored(const TK440 &a, const TK440 &b, bool withCpu = false);

void printJson(const QJsonObject &o);
QJsonArray differencesJson(const QList<FieldDifference> &diffs);
// "section / field: a | b" lines in the interface language.
void printDifferences(const QList<FieldDifference> &diffs);
