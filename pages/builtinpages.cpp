#include "pages/pageregistry.h"

#include "config/info.h"
#include "config/tk440.h"
#include "pages/amp.h"
#include "pages/codec.h"

// One line per page class: the window's row (config/windows.cpp) and how the class is built.
void registerBuiltinPages()
{
    static bool done = false;
    if (done)
        return;
    done = true;

    using C = const PageContext &;
    pageRegistry().add(WindowId::Codec, [](C c) -> SubWindow * {
        return new Codec(c.work->b + TK440::CodecOffset, c.mode, c.parent);
    });
    pageRegistry().add(WindowId::Amplifier, [](C c) -> SubWindow * {
        return new Amp(c.thread, c.work->b + TK440::AmpOffset, c.mode, c.connected, c.parent);
    });
    // "Информация" edits the document image itself: the main window hands it over as c.work.
    pageRegistry().add(WindowId::Info, [](C c) -> SubWindow * {
        return new Info(c.work->b + TK440::IdentOffset, c.work->b + TK440::InfoOffset, c.mode,
                        c.parent);
    });
}
