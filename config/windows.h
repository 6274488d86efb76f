#pragma once
// Every window of the main window, one row each: the device-tree items (groups, tasks, pages,
// views), the Info page and the About window. The tree, the section copying of the pages, the
// defaults of a new image and the opening of windows all read this table; a window is known by
// its WindowId (the tree items and the open windows carry it), and a title is looked up only
// where a name comes from outside (a slot, a test). The title in the table is the Russian one
// (the text a front end stores or prints for scripts); windows, the tree and messages show it in
// the interface language (displayTitle), and a lookup accepts either.
//
// Adding a page: its files (form, page class, widget-free model with the defaults writer), its
// row in config/windows.cpp naming the writer, and one factory line in pages/builtinpages.cpp
// (the factory and the rule the page opens and closes by, config/windowrule.h). A view or task
// window likewise has its row and a factory line in app/builtinwindows.cpp.

#include "config/modes.h"
#include "config/sections.h"

#include <QDate>
#include <QList>
#include <QString>

#include <span>

struct TK440;

enum class WindowId {
    None, // no window: the parent of the top-level tree items
    Tasks,
    Read,
    Write,
    Load,
    Devices,
    Radio,
    MicInput, // "Вход микрофона" (K-330RA)
    ReceiverOutput, // "Выход приемника" (K-330RA)
    HeadsetOutput,
    AccessoryOutput,
    ReceiverInput, // "Вход приемника" (K-330RB)
    MicOutput, // "Выход микрофона" (K-330RB)
    Vocoder,
    Amplifier,
    Recorder,
    ModemGroup,
    Modem,
    Codec,
    InputAmplifier,
    OutputAmplifier,
    Protocol,
    Monitor,
    Statistics,
    Constellation,
    AdcSignal,
    DacSignal,
    Channel3,
    Channel4,
    Trace,
    Info,
    About,
};

// What a window is; the rule it opens and closes by is registered with its class
// (config/windowrule.h).
enum class WindowKind {
    Group, // a tree item that opens nothing
    Task, // read, write or firmware load: each has its own preconditions
    Page, // edits its sections in the working copy; they are copied in on opening, back on keep
    Document, // a page that edits the document image itself ("Информация")
    View, // opened as it is, without preconditions (monitoring views, "О программе")
};

// Which controller models show the item in the device tree.
enum class ModelRule {
    Any,
    RA, // model code 0x0300
    RB, // model code 0x0301
    AmpFitted, // bit 0 of the model code clear: the LF amplifier is fitted
};

// Writes a block's defaults into a new image whose model word is already set; `today` is the
// date a new image carries.
using DefaultsWriter = void (*)(TK440 &image, QDate today);

struct WindowRow
{
    WindowId id;
    WindowKind kind;
    const char *title; // UTF-8, Russian; translated in the context "WindowTitle"
    const char *icon; // file name under ":/images/"; empty for none
    bool inTree; // false for windows opened only through a menu ("О программе")
    WindowId parent; // tree parent; WindowId::None at the top level
    ModelRule models;
    ModeFeature feature; // the mode must allow it for the item to be in the tree
    // Bytes of the image the window edits (at most two ranges; unused ones have length 0).
    Section sections[2];
    DefaultsWriter writeDefaults; // nullptr for windows that write no defaults

    // The Russian title, as stored and printed for scripts.
    QString titleText() const { return QString::fromUtf8(title); }
    // The title in the interface language: the window's title and its tree item's text.
    QString displayTitle() const;
    // Resource name of the icon; empty for none.
    QString iconName() const
    {
        return *icon ? QStringLiteral(":/images/") + QLatin1String(icon) : QString();
    }
    QList<Section> sectionList() const;
};

// All rows, in tree order.
std::span<const WindowRow> windowTable();

// The row of an identifier (every identifier but None has one).
const WindowRow &windowRow(WindowId id);
// The row whose Russian or displayed title is `title`, or nullptr.
const WindowRow *findWindow(const QString &title);
// The displayed title of a window.
inline QString titleOf(WindowId id)
{
    return windowRow(id).displayTitle();
}

// Depth of a tree item: 0 at the top level.
int treeLevel(const WindowRow &row);
// True when the item is in the device tree of a controller of `model` in `mode`.
bool inDeviceTree(const WindowRow &row, quint16 model, int mode);
// The tree items of the model and mode, in display order; a parent precedes its children.
QList<const WindowRow *> deviceTreeRows(quint16 model, int mode);
