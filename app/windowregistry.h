#pragma once
// Factories of the task and monitoring windows ("Прочитать", "Записать", "Загрузить ПО",
// "Статистика", "Созвездие", "Сигнал АЦП", ...), keyed by window title, so that the main window
// opens them without knowing their classes. Configuration pages have their own registry
// (pages/pageregistry.h).

#include <QByteArray>
#include <QString>

#include <functional>

class QWidget;
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

// Creates the window; it must emit reqClose(QString,bool) to be closed by the main window.
using WindowFactory = std::function<QWidget *(const WindowContext &ctx)>;

namespace WindowRegistry {
void add(const QString &title, WindowFactory factory);
bool contains(const QString &title);
// nullptr when no window class is registered under the title.
QWidget *create(const QString &title, const WindowContext &ctx);
} // namespace WindowRegistry

// Registers every task and monitoring window class that exists; the main window calls it once.
// Each window adds its line in app/builtinwindows.cpp.
void registerBuiltinWindows();
