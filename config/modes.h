#pragma once
// Operating modes and what each one allows. The main window, the worker thread, the pages and
// the task windows carry the mode as an int (it is part of their interfaces); they ask
// modeAllows() instead of comparing numbers.

#include <QtGlobal>

enum class OperatingMode : int {
    DefaultsOnly = 0, // a page built only to write its block's defaults into a new image
    User = 1,
    ServiceFirmware = 2, // "Jade_Cobalts"
    ServiceFactory = 3, // "Amber_Cobalts"
    ServiceModem = 4, // "Topaz_Cobalts"
    ServiceTrace = 5, // "Coral_Cobalts"
    ServiceVocoder = 6, // "Peridot_Cobalts"
    ServiceAll = 10, // "Ruby_Cobalts": everything of modes 2 to 6, and more
};

// What a mode may add to the user mode.
enum class ModeFeature {
    None, // nothing: every mode allows it
    FirmwareLoad, // the "Загрузить ПО" tree item and action
    ModemBlocks, // "Кодек", "Входной усилитель", "Выходной усилитель", "Протокол" in the tree
    TraceView, // the "Трассировка" tree item
    ExtraChannels, // the "Канал 3" and "Канал 4" tree items
    FactoryInfo, // the Info page edits serial number and date
    WriteInfoArea, // a configuration write also writes the information area
    ModemControls, // additional controls on the modem page
    VocoderControls, // additional controls on the vocoder page
    ReceiverControls, // additional controls on the input amplifier page
    AnyFirmwareVersion, // a write goes to a controller whose firmware version is not supported
    LiveCommandLog, // every live command sent is also logged
};

// True when `mode` allows `feature`; an unknown mode allows nothing.
bool modeAllows(OperatingMode mode, ModeFeature feature);
inline bool modeAllows(int mode, ModeFeature feature)
{
    return modeAllows(OperatingMode(mode), feature);
}
