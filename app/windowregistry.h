#pragma once
// Factories of the task and monitoring windows and the About window ("Прочитать", "Записать",
// "Загрузить ПО", "Статистика", "Созвездие", "Сигнал АЦП", ..., "О программе"), keyed by window,
// so that the main window opens them without knowing their classes. Configuration pages have
// their own registry (pages/pageregistry.h).

#include "config/widgets/subwindow.h"

#include <QByteArray>

class TThread;
struct TK440;

// What the main window hands to a window factory.
struct WindowContext
{
    QWidget *mainWindow = nullptr; // the main window (parent argument of the views)
    TThread *thread = nullptr;
    // "Прочитать": the image the read fills (adopted only when the window closes with keep);
    // "Записать": the document image.
    TK440 *image = nullptr;
    int mode = 1;
    bool connected = false;
    // "Загрузить ПО": the firmware file contents; the window keeps its own copy.
    QByteArray firmware;
};

using WindowFactory = SubWindowFactories<WindowContext>::Factory;

// The window factories of the program.
SubWindowFactories<WindowContext> &windowRegistry();

// Registers every task and monitoring window class that exists; the main window calls it once.
// Each window adds its line in app/builtinwindows.cpp.
void registerBuiltinWindows();
