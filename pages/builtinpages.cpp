#include "pages/pageregistry.h"

#include "config/tk440.h"
#include "config/widgets/info.h"
#include "pages/amp.h"
#include "pages/codec.h"
#include "pages/input.h"
#include "pages/link.h"
#include "pages/modem.h"
#include "pages/output.h"
#include "pages/voc.h"

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
    const auto model = [](C c) {
        return c.work->b + TK440::ModelOffset;
    };
    for (WindowId id : {WindowId::MicInput, WindowId::ReceiverInput})
        pageRegistry().add(id, [model](C c) -> SubWindow * {
            return new InpRadio(c.thread, model(c), c.work->b + TK440::InpRadioOffset, c.mode,
                                c.connected, c.parent);
        });
    for (WindowId id : {WindowId::ReceiverOutput, WindowId::MicOutput})
        pageRegistry().add(id, [model](C c) -> SubWindow * {
            return new OutRadio(c.thread, model(c), c.work->b + TK440::OutRadioOffset, c.mode,
                                c.connected, c.parent);
        });
    pageRegistry().add(WindowId::HeadsetOutput, [model](C c) -> SubWindow * {
        return new OutExt(c.thread, model(c), c.work->b + TK440::OutExtOffset, c.mode, c.connected,
                          c.parent);
    });
    pageRegistry().add(WindowId::AccessoryOutput, [model](C c) -> SubWindow * {
        return new OutAcc(c.thread, model(c), c.work->b + TK440::OutAccOffset, c.mode, c.connected,
                          c.parent);
    });
    pageRegistry().add(WindowId::Recorder, [model](C c) -> SubWindow * {
        return new OutRec(c.thread, model(c), c.work->b + TK440::OutRecOffset,
                          c.work->b + TK440::OutRec2Offset, c.mode, c.connected, c.parent);
    });
    pageRegistry().add(WindowId::InputAmplifier, [](C c) -> SubWindow * {
        return new Receiver(c.thread, c.work->b + TK440::ReceiverOffset, c.mode, c.connected,
                            c.parent);
    });
    pageRegistry().add(WindowId::OutputAmplifier, [model](C c) -> SubWindow * {
        return new Transmitter(c.thread, model(c), c.work->b + TK440::TransmitterOffset, c.mode,
                               c.connected, c.parent);
    });
    pageRegistry().add(WindowId::Modem, [](C c) -> SubWindow * {
        return new Modem(c.thread, c.work->b + TK440::ModelOffset, c.work->b + TK440::ModemOffset,
                         c.mode, c.connected, c.parent);
    });
    pageRegistry().add(WindowId::Protocol, [](C c) -> SubWindow * {
        return new Link(c.thread, c.work->b + TK440::ModelOffset, c.work->b + TK440::LinkOffset,
                        c.mode, c.connected, c.parent);
    });
    pageRegistry().add(WindowId::Vocoder, [](C c) -> SubWindow * {
        return new Voc(c.thread, c.work->b + TK440::ModelOffset, c.work->b + TK440::VocOffset,
                       c.work->b + TK440::Voc2Offset, c.mode, c.connected, c.parent);
    });
    // "Информация" edits the document image itself: the main window hands it over as c.work.
    pageRegistry().add(WindowId::Info, [](C c) -> SubWindow * {
        return new Info(c.work->b + TK440::IdentOffset, c.work->b + TK440::InfoOffset, c.mode,
                        c.parent);
    });
}
