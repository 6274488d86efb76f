#pragma once
// Every sub-window of the main window, keyed by window: how its class is built and the rule it
// opens and closes by (config/windowrule.h), so that the main window opens and closes any
// window without knowing its class or its kind. Pages and the Info page register in
// pages/builtinpages.cpp, the task windows, views and the About window in app/builtinwindows.cpp.

#include "config/widgets/subwindow.h"
#include "config/windowrule.h"
#include "config/windows.h"
#include "device/operations/recording.h"

#include <QByteArray>
#include <QMap>

#include <functional>

class TThread;
struct TK440;

// What the main window hands to a window factory.
struct WindowContext
{
    // The main window: the parent argument of the views and the About window. Pages get none;
    // the main window's area adopts every window.
    QWidget *mainWindow = nullptr;
    TThread *thread = nullptr;
    // What the window works on (WindowInput): the working copy, or the document image, a page
    // edits in place; the image a read fills; the document image a write sends.
    TK440 *image = nullptr;
    int mode = 1; // operating mode; 0 builds a page only to write its defaults
    bool connected = false;
    // "Загрузить ПО": the firmware file contents; the window keeps its own copy.
    QByteArray firmware;
    QString firmwareFile; // the name of that file
    // How the task windows record their operations.
    OperationJournal journal;
};

class WindowRegistry
{
public:
    using Factory = std::function<SubWindow *(const WindowContext &ctx)>;
    struct Entry
    {
        WindowRule rule;
        Factory factory;
    };

    // Registers window `id`, replacing an earlier entry.
    void add(WindowId id, WindowRule rule, Factory factory);
    // Replaces the factory of a registered window and keeps its rule (a test's stand-in).
    void replace(WindowId id, Factory factory);
    bool contains(WindowId id) const { return map.contains(id); }
    // The entry of `id`, or nullptr.
    const Entry *find(WindowId id) const;
    // The window, tagged with `id`; nullptr when nothing is registered for `id`.
    SubWindow *create(WindowId id, const WindowContext &ctx) const;

private:
    QMap<WindowId, Entry> map;
};

// The windows of the program.
WindowRegistry &windowRegistry();
