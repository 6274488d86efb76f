#pragma once
// Factories of the configuration pages (and the Info page), keyed by window, so that the main
// window can open any page without knowing the page classes.

#include "config/widgets/subwindow.h"

class TThread;
struct TK440;

// What the main window hands to a page factory.
struct PageContext
{
    TThread *thread = nullptr;
    TK440 *work = nullptr; // the image the page edits in place (working copy, or a new image)
    int mode = 1; // operating mode; 0 builds the page only to write its defaults
    bool connected = false;
    QWidget *parent = nullptr;
};

// Creates the page; it edits the sections of ctx.work for its window.
using PageFactory = SubWindowFactories<PageContext>::Factory;

// The page factories of the program.
SubWindowFactories<PageContext> &pageRegistry();

// Registers every page class that exists; the main window calls it once. Each page adds its
// line in pages/builtinpages.cpp (a static library drops self-registering objects that nothing
// references).
void registerBuiltinPages();
