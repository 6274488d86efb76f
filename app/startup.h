#pragma once
// Process start: application names and the command line.

#include <QString>

class QApplication;

struct StartOptions
{
    QString logFile; // --log FILE: copy of the program log
};

// Sets the organisation, application name and version used by the settings and --version.
void initApplication(QApplication &app);

// Parses the command line; --help and --version print and exit the process. Returns false
// (after printing the reason) when the options cannot be used.
bool parseStartOptions(const QApplication &app, StartOptions &options);
