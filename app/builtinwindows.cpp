#include "app/windowregistry.h"

// One line per window class, for example:
//   WindowRegistry::add(QStringLiteral("Прочитать"),
//                       [](const WindowContext &c) { return new Read(c.thread, c.image, c.mode);
//                       });
void registerBuiltinWindows()
{
    static bool done = false;
    if (done)
        return;
    done = true;
}
