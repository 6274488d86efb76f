#include "pages/pageregistry.h"

#include "config/info.h"
#include "config/tk440.h"
#include "pages/amp.h"
#include "pages/codec.h"

void registerBuiltinPages()
{
    static bool done = false;
    if (done)
        return;
    done = true;

    PageRegistry::add(QStringLiteral("Кодек"), [](const PageContext &c) -> QWidget * {
        return new Codec(c.work->b + TK440::CodecOffset, c.mode, c.parent);
    });
    PageRegistry::add(QStringLiteral("Усилитель НЧ"), [](const PageContext &c) -> QWidget * {
        return new Amp(c.thread, c.work->b + TK440::AmpOffset, c.mode, c.connected, c.parent);
    });
    // "Информация" edits the document image itself: the main window hands it over as c.work.
    PageRegistry::add(QStringLiteral("Информация"), [](const PageContext &c) -> QWidget * {
        return new Info(c.work->b + TK440::IdentOffset, c.work->b + TK440::InfoOffset, c.mode,
                        c.parent);
    });
}
