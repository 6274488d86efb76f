#pragma once
// Factories of the configuration pages, keyed by window title, so that the main window can
// open any page (and a new image can be filled with every page's defaults) without knowing
// the page classes.

#include <QString>
#include <QStringList>

#include <functional>

class QWidget;
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

// Creates the page; it edits the sections of ctx.work for its title.
using PageFactory = std::function<QWidget *(const PageContext &ctx)>;

namespace PageRegistry {
void add(const QString &title, PageFactory factory);
bool contains(const QString &title);
// nullptr when no page class is registered under the title.
QWidget *create(const QString &title, const PageContext &ctx);
QStringList titles();
} // namespace PageRegistry

// Registers every page class that exists; the main window calls it once. Each page adds its
// line here (a static library drops self-registering objects that nothing references).
void registerBuiltinPages();
