#pragma once
// k330ctl list: every controller on the bus by its port path, with model, processor serial and
// identifier and firmware version from its identification, or why it cannot be opened.

#include "device/controllers.h"

#include <QList>
#include <QString>

class QCommandLineParser;

// --json and the link options.
void addListOptions(QCommandLineParser &parser);
// 0 with the list printed; 2 for unusable link options; 3 when no controller is attached.
int runList(const QCommandLineParser &parser);
// One line a controller: "1-2: K-330RA, Процессор S/N: 0x..., Процессор ID: 0x42, Версия ПО:
// 2.1", or the path and the reason it could not be identified.
QString listText(const QList<ControllerIdentity> &controllers);
