#include "app/windowregistry.h"
#include "device/read.h"
#include "device/write.h"

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
    WindowRegistry::add(QStringLiteral("Прочитать"), [](const WindowContext &c) -> QWidget * {
        return new Read(c.thread, c.image);
    });
    WindowRegistry::add(QStringLiteral("Записать"), [](const WindowContext &c) -> QWidget * {
        return new Write(c.thread, c.image, c.mode);
    });
}
