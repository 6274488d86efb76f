#pragma once
// k330ctl list: every controller on the bus by its port path, with model, processor serial and
// identifier and firmware version from its identification, or why it cannot be opened.

class QCommandLineParser;

// --json and the link options.
void addListOptions(QCommandLineParser &parser);
// 0 with the list printed; 2 for unusable link options; 3 when no controller is attached.
int runList(const QCommandLineParser &parser);
