#include "app/builtinwindows.h"
#include "app/about.h"
#include "config/tk440.h"
#include "config/widgets/windowregistry.h"
#include "device/windows/load.h"
#include "device/windows/read.h"
#include "device/windows/write.h"
#include "views/constellation.h"
#include "views/oscilloscope.h"
#include "views/report.h"
#include "views/trace.h"

// One line per window class: the window's row (config/windows.cpp), its rule and how the class
// is built.
void registerBuiltinWindows()
{
    static bool done = false;
    if (done)
        return;
    done = true;

    using C = const WindowContext &;
    windowRegistry().add(WindowId::Read, WindowRules::Read, [](C c) -> SubWindow * {
        return new Read(c.thread, c.image, nullptr, c.journal);
    });
    windowRegistry().add(WindowId::Write, WindowRules::Write, [](C c) -> SubWindow * {
        return new Write(c.thread, c.image, c.mode, nullptr, c.journal);
    });
    windowRegistry().add(WindowId::Load, WindowRules::Load, [](C c) -> SubWindow * {
        OperationJournal journal = c.journal;
        journal.fileName = c.firmwareFile; // the record names the firmware's file
        auto *w = new Load(c.thread, c.firmware, nullptr, journal);
        w->showFile(c.firmwareFile, c.firmware.size());
        return w;
    });
    windowRegistry().add(WindowId::Statistics, WindowRules::View, [](C c) -> SubWindow * {
        return new Report(c.mainWindow, c.thread, c.connected);
    });
    windowRegistry().add(WindowId::Trace, WindowRules::View, [](C c) -> SubWindow * {
        return new Trace(c.mainWindow, c.thread, c.connected);
    });
    windowRegistry().add(WindowId::Constellation, WindowRules::View, [](C c) -> SubWindow * {
        return new Constellation(c.mainWindow, c.thread, 0, c.connected);
    });
    const std::pair<WindowId, quint16> scopes[] = {{WindowId::AdcSignal, 1},
                                                   {WindowId::DacSignal, 2},
                                                   {WindowId::Channel3, 3},
                                                   {WindowId::Channel4, 4}};
    for (const auto &[id, channel] : scopes)
        windowRegistry().add(id, WindowRules::View, [channel](C c) -> SubWindow * {
            return new Oscilloscope(c.mainWindow, c.thread, channel, c.connected);
        });
    windowRegistry().add(WindowId::About, WindowRules::View, [](C c) -> SubWindow * {
        return new About(c.mainWindow, TK440::NewImageVersion);
    });
}
