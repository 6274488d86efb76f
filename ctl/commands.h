#pragma once
// The sub-commands of k330ctl and its exit statuses.

#include <QList>

#include <functional>

class QCommandLineOption;
class QCommandLineParser;
struct OperationResult;

// Exit statuses; `k330ctl --help` and the README list them.
enum Status {
    Success = 0, // done; diff: the files are equal
    Different = 1, // diff: the files differ; write, verify, load-firmware: the read-back differs
    UsageError = 2,
    NoController = 3,
    TransferFailed = 4, // an exchange failed or the controller refused it
    InvalidFile = 5, // an input file cannot be opened, is short, damaged or of an unknown model
    SaveFailed = 6, // the output file cannot be written (the previous one is left as it was)
};

// An exit status and what it means for a command (translated in the context "k330ctl").
struct StatusLine
{
    Status status;
    const char *meaning;
};

struct Command
{
    const char *name;
    const char *synopsis;
    const char *summary; // translated in the context "k330ctl"
    int arguments; // positional arguments it takes
    std::function<void(QCommandLineParser &)> options;
    std::function<int(const QCommandLineParser &)> run;
    QList<StatusLine> statuses; // the exit statuses the command can end with
};

QList<Command> commands();
// "Exit status:" and the lines of these statuses, in the interface language.
QString statusHelp(const QList<StatusLine> &statuses);
// Every status with each meaning it has for some command, for the general help.
QList<StatusLine> allStatuses();

// The file commands (commands.cpp).
int runNew(const QCommandLineParser &p);
int runShow(const QCommandLineParser &p);
int runDiff(const QCommandLineParser &p);
// The controller commands (devicecommands.cpp).
int runRead(const QCommandLineParser &p);
int runWrite(const QCommandLineParser &p);
int runVerify(const QCommandLineParser &p);
int runLoad(const QCommandLineParser &p);
// The record commands (history.cpp).
int runHistory(const QCommandLineParser &p);
int runRestore(const QCommandLineParser &p);
void addHistoryOptions(QCommandLineParser &p);
void addRestoreOptions(QCommandLineParser &p);
struct TK440;
// A configuration file, or with "record:UUID" the image of that operation record.
Status loadImageOrRecord(const QCommandLineParser &p, const QString &name, TK440 &image);

// Options and files the commands share.
extern const QString JsonName;
extern const QString OutputName;
// --json: "Print the result as JSON on stdout."
QCommandLineOption jsonOption();
struct TK440;
// Reads a configuration file as the terminal opens one; on failure says why (InvalidFile).
Status loadImage(const QString &name, TK440 &image);
// Saves through the terminal's atomic save: the target is replaced only by a complete file.
// Its messages go to report, or where that is empty to standard error.
Status saveImage(const QString &name, TK440 &image,
                 const std::function<void(const QString &line)> &report = {});
// The status of an operation on the controller.
Status statusOf(const OperationResult &result);
