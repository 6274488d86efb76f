#pragma once
// The terminal's session without widgets: the open configuration, the operating mode and the
// connection, and the decisions the main window follows. Whether a window may open and what it
// is handed, what keeping its result does (config/windowrule.h); the read that becomes the
// configuration only when its window closes with keep; the firmware file checked before a load;
// what a change of operating mode closes and keeps.

#include "config/document.h"
#include "config/modes.h"
#include "config/windowrule.h"
#include "config/windows.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QObject>
#include <QString>

// What a window is handed when it opens (its WindowInput).
struct WindowInputs
{
    TK440 *image = nullptr; // the working copy, the document image, or the image a read fills
    QByteArray firmware; // the firmware file's contents for the load window
    QString firmwareFile; // and that file's name
};

// What the main window shows once a window has closed.
enum class WindowClosed {
    Nothing,
    ReadAdopted, // a read configuration is now the document: show it, report the read
    ReadReported, // report the configuration read back
};

class Session
{
    Q_DECLARE_TR_FUNCTIONS(Session)

public:
    Session() = default;
    Session(const Session &) = delete;
    Session &operator=(const Session &) = delete;

    ConfigDocument &document() { return doc; }
    const ConfigDocument &document() const { return doc; }
    int mode() const { return currentMode; }
    bool isConnected() const { return connected; }
    void setConnected(bool c) { connected = c; }

    // A configuration is open, or a read is filling the one that will be: replacing or closing
    // it asks first.
    bool hasConfiguration() const { return doc.image() || doc.pendingRead(); }

    // Opening window `id` under `rule`. mayOpen: its needs are met now (a connection, an open
    // configuration). inputsFor: what it is handed, once the user has agreed to what the rule
    // asks first (the open configuration closed for a read, the firmware file read with
    // checkFirmware); a page's sections of the working copy are reverted to the document's.
    bool mayOpen(const WindowRule &rule) const;
    WindowInputs inputsFor(const WindowRule &rule, WindowId id);
    // The window made under `rule`, nullptr when none could be made. A read window is watched:
    // however it goes, its image goes with it unless kept first, and a later read's image is
    // left alone. The load window has taken its own copy of the firmware.
    void opened(const WindowRule &rule, QObject *window);
    // Window `id` asks to close; keep: adopt its result as the rule says.
    WindowClosed closing(const WindowRule &rule, WindowId id, bool keep);

    // Reads the firmware file for the load window: the warning to show when it cannot be
    // loaded, empty when it can.
    QString checkFirmware(const QString &fileName);

    // Takes operating mode `m`. False when nothing changes (0, no mode chosen, or the current
    // mode): every window stays. True: pages and views are built for a mode's controls and
    // channels, so every window closes (a read in progress goes with its window) and the tree
    // is rebuilt; the configuration stays, edits not kept are dropped from the working copy.
    bool switchMode(int m);

private:
    void watchReader(QObject *window);
    WindowClosed closingRead(bool keep);

    ConfigDocument doc;
    int currentMode = int(OperatingMode::User);
    bool connected = false;
    QObject *reader = nullptr; // the read window filling the document's pending read
    // Context of the read windows' "destroyed" handlers: it goes with the session, so windows
    // deleted later no longer reach the pending read.
    QObject readWatch;
};
