#include "pages/builtinpages.h"

#include "config/tk440.h"
#include "config/widgets/info.h"
#include "config/widgets/windowregistry.h"
#include "pages/amp.h"
#include "pages/codec.h"
#include "pages/input.h"
#include "pages/link.h"
#include "pages/modem.h"
#include "pages/output.h"
#include "pages/voc.h"

// One line per page class: the window's row (config/windows.cpp), its rule and how the class is
// built. Pages get no parent: the main window's area adopts them.
void registerBuiltinPages()
{
    static bool done = false;
    if (done)
        return;
    done = true;

    using C = const WindowContext &;
    constexpr WindowRule page = WindowRules::Page;
    windowRegistry().add(WindowId::Codec, page, [](C c) -> SubWindow * {
        return new Codec(c.image->b + TK440::CodecOffset, c.mode, nullptr);
    });
    windowRegistry().add(WindowId::Amplifier, page, [](C c) -> SubWindow * {
        return new Amp(c.thread, c.image->b + TK440::AmpOffset, c.mode, c.connected, nullptr);
    });
    const auto model = [](C c) {
        return c.image->b + TK440::ModelOffset;
    };
    for (WindowId id : {WindowId::MicInput, WindowId::ReceiverInput})
        windowRegistry().add(id, page, [model](C c) -> SubWindow * {
            return new InpRadio(c.thread, model(c), c.image->b + TK440::InpRadioOffset, c.mode,
                                c.connected, nullptr);
        });
    for (WindowId id : {WindowId::ReceiverOutput, WindowId::MicOutput})
        windowRegistry().add(id, page, [model](C c) -> SubWindow * {
            return new OutRadio(c.thread, model(c), c.image->b + TK440::OutRadioOffset, c.mode,
                                c.connected, nullptr);
        });
    windowRegistry().add(WindowId::HeadsetOutput, page, [model](C c) -> SubWindow * {
        return new OutExt(c.thread, model(c), c.image->b + TK440::OutExtOffset, c.mode, c.connected,
                          nullptr);
    });
    windowRegistry().add(WindowId::AccessoryOutput, page, [model](C c) -> SubWindow * {
        return new OutAcc(c.thread, model(c), c.image->b + TK440::OutAccOffset, c.mode, c.connected,
                          nullptr);
    });
    windowRegistry().add(WindowId::Recorder, page, [model](C c) -> SubWindow * {
        return new OutRec(c.thread, model(c), c.image->b + TK440::OutRecOffset,
                          c.image->b + TK440::OutRec2Offset, c.mode, c.connected, nullptr);
    });
    windowRegistry().add(WindowId::InputAmplifier, page, [](C c) -> SubWindow * {
        return new Receiver(c.thread, c.image->b + TK440::ReceiverOffset, c.mode, c.connected,
                            nullptr);
    });
    windowRegistry().add(WindowId::OutputAmplifier, page, [model](C c) -> SubWindow * {
        return new Transmitter(c.thread, model(c), c.image->b + TK440::TransmitterOffset, c.mode,
                               c.connected, nullptr);
    });
    windowRegistry().add(WindowId::Modem, page, [](C c) -> SubWindow * {
        return new Modem(c.thread, c.image->b + TK440::ModelOffset, c.image->b + TK440::ModemOffset,
                         c.mode, c.connected, nullptr);
    });
    windowRegistry().add(WindowId::Protocol, page, [](C c) -> SubWindow * {
        return new Link(c.thread, c.image->b + TK440::ModelOffset, c.image->b + TK440::LinkOffset,
                        c.mode, c.connected, nullptr);
    });
    windowRegistry().add(WindowId::Vocoder, page, [](C c) -> SubWindow * {
        return new Voc(c.thread, c.image->b + TK440::ModelOffset, c.image->b + TK440::VocOffset,
                       c.image->b + TK440::Voc2Offset, c.mode, c.connected, nullptr);
    });
    // "Информация" edits the document image itself: the main window hands it over as c.image.
    windowRegistry().add(WindowId::Info, WindowRules::Document, [](C c) -> SubWindow * {
        return new Info(c.image->b + TK440::IdentOffset, c.image->b + TK440::InfoOffset, c.mode,
                        nullptr);
    });
}
