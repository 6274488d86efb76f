#pragma once
// Process start: application names and the command line.

#include <QString>
#include <QStringList>

struct StartOptions
{
    QString logFile; // --log FILE: copy of the program log
};

// Sets the organisation, application name and version used by the settings and --version.
void initApplication();

// Parses the command line (arguments with the program name first); --help and --version print
// and exit the process, as does an unknown option.
StartOptions parseStartOptions(const QStringList &arguments);
