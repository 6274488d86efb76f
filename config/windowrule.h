#pragma once
// How a window of the main window opens and closes: what it is handed, what it needs, and what
// keeping its result does. Every page shares one rule and so does every view; the task windows
// have their own. The window registry (config/widgets/windowregistry.h) holds a rule with each
// window's factory, the session (config/session.h) applies it, and the main window only does
// what the session decides.

// What a window works on, handed over when it opens.
enum class WindowInput {
    Nothing, // the monitoring views, "О программе"
    WorkingCopy, // a page: its sections are copied from the document image into it first
    Document, // the document image itself ("Информация", "Записать")
    NewRead, // a zeroed image the read fills; the open configuration is closed first, if agreed
    Firmware, // the contents of a firmware file the user picks, checked before the window opens
};

// What "keep" means when the window asks to close.
enum class WindowKeep {
    Nothing,
    Sections, // the page's sections go from the working copy into the document image
    Read, // the read image becomes the document image; without keep it is dropped
    ReadReport, // nothing is adopted; the configuration read back is reported (a verified write)
};

struct WindowRule
{
    WindowInput input;
    bool needsConnection; // opens only while the controller is connected
    WindowKeep keep;

    // A window on the working copy or the document image needs an open configuration.
    constexpr bool needsDocument() const
    {
        return input == WindowInput::WorkingCopy || input == WindowInput::Document;
    }
};

namespace WindowRules {
inline constexpr WindowRule Page {WindowInput::WorkingCopy, false, WindowKeep::Sections};
inline constexpr WindowRule Document {WindowInput::Document, false, WindowKeep::Nothing};
inline constexpr WindowRule View {WindowInput::Nothing, false, WindowKeep::Nothing};
inline constexpr WindowRule Read {WindowInput::NewRead, true, WindowKeep::Read};
inline constexpr WindowRule Write {WindowInput::Document, true, WindowKeep::ReadReport};
inline constexpr WindowRule Load {WindowInput::Firmware, false, WindowKeep::Nothing};
} // namespace WindowRules
