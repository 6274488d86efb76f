#include "config/windows.h"

#include "config/infofields.h"
#include "config/tk440.h"
#include "pages/models/ampmodel.h"
#include "pages/models/codecmodel.h"
#include "pages/models/inputmodel.h"
#include "pages/models/linkmodel.h"
#include "pages/models/modemmodel.h"
#include "pages/models/outputmodel.h"
#include "pages/models/vocmodel.h"

#include <QCoreApplication>

namespace {
// Defaults writers: each writes its block's sections only and reads nothing but the model word,
// so that a new image does not depend on the order in which they run.
void codecDefaults(TK440 &image, QDate)
{
    CodecModel::writeDefaults(image.b + TK440::CodecOffset);
}

void amplifierDefaults(TK440 &image, QDate)
{
    AmpModel::writeDefaults(image.b + TK440::AmpOffset);
}

template<InputModel::Input I> void inputDefaults(TK440 &image, QDate)
{
    const InputModel::Profile &profile = InputModel::profile(I);
    InputModel::writeDefaults(profile, image.b + profile.offset);
}

template<OutputModel::Output O> void outputDefaults(TK440 &image, QDate)
{
    const OutputModel::Profile &profile = OutputModel::profile(O);
    OutputModel::writeDefaults(profile, image.b + profile.offset, image.model());
    if (O == OutputModel::Output::Recorder)
        OutputModel::Recorder::writeDefaults(image.b + TK440::OutRec2Offset);
}

// One writer per block: where two windows edit one block, they name the same writer.
constexpr DefaultsWriter radioInputDefaults = inputDefaults<InputModel::Input::Radio>;
constexpr DefaultsWriter receiverDefaults = inputDefaults<InputModel::Input::Receiver>;
constexpr DefaultsWriter radioOutputDefaults = outputDefaults<OutputModel::Output::Radio>;
constexpr DefaultsWriter headsetDefaults = outputDefaults<OutputModel::Output::Headset>;
constexpr DefaultsWriter accessoryDefaults = outputDefaults<OutputModel::Output::Accessory>;
constexpr DefaultsWriter recorderDefaults = outputDefaults<OutputModel::Output::Recorder>;
constexpr DefaultsWriter transmitterDefaults = outputDefaults<OutputModel::Output::Transmitter>;
void modemDefaults(TK440 &image, QDate)
{
    ModemModel::writeDefaults(image.b + TK440::ModemOffset);
}

void linkDefaults(TK440 &image, QDate)
{
    LinkModel::writeDefaults(image.b + TK440::LinkOffset, image.model());
}

void vocoderDefaults(TK440 &image, QDate)
{
    VocModel::writeDefaults(image.b + TK440::VocOffset, image.b + TK440::Voc2Offset);
}

void infoDefaults(TK440 &image, QDate today)
{
    setInfoDefaults(image.b + TK440::InfoOffset, today);
}

using enum WindowId;
using K = WindowKind;
using M = ModelRule;
using F = ModeFeature;
using T = TK440;

// clang-format off
const WindowRow rows[] = {
    // id, kind, title,
    //   icon (under :/images/), in tree, tree parent, models, mode feature,
    //   sections, defaults writer (on the same line where they fit)
    {Tasks, K::Group, QT_TRANSLATE_NOOP("WindowTitle", "Задачи"),
     "task.bmp", true, None, M::Any, F::None, {}, nullptr},
    {Read, K::Task, QT_TRANSLATE_NOOP("WindowTitle", "Прочитать"),
     "read.bmp", true, Tasks, M::Any, F::None, {}, nullptr},
    {Write, K::Task, QT_TRANSLATE_NOOP("WindowTitle", "Записать"),
     "write.bmp", true, Tasks, M::Any, F::None, {}, nullptr},
    {Load, K::Task, QT_TRANSLATE_NOOP("WindowTitle", "Загрузить ПО"),
     "load.png", true, Tasks, M::Any, F::FirmwareLoad, {}, nullptr},
    {Devices, K::Group, QT_TRANSLATE_NOOP("WindowTitle", "Устройства"),
     "device.png", true, None, M::Any, F::None, {}, nullptr},
    {Radio, K::Group, QT_TRANSLATE_NOOP("WindowTitle", "Радиостанция"),
     "radio.png", true, Devices, M::Any, F::None, {}, nullptr},
    {MicInput, K::Page, QT_TRANSLATE_NOOP("WindowTitle", "Вход микрофона"),
     "mic.png", true, Radio, M::RA, F::None,
     {{T::InpRadioOffset, T::InpRadioSize}}, radioInputDefaults},
    {ReceiverOutput, K::Page, QT_TRANSLATE_NOOP("WindowTitle", "Выход приемника"),
     "transmit.png", true, Radio, M::RA, F::None,
     {{T::OutRadioOffset, T::OutRadioSize}}, radioOutputDefaults},
    {HeadsetOutput, K::Page, QT_TRANSLATE_NOOP("WindowTitle", "Выход гарнитуры"),
     "cast.png", true, Radio, M::RA, F::None, {{T::OutExtOffset, T::OutExtSize}}, headsetDefaults},
    {AccessoryOutput, K::Page, QT_TRANSLATE_NOOP("WindowTitle", "Выход аксессуарный"),
     "connect.png", true, Radio, M::RA, F::None,
     {{T::OutAccOffset, T::OutAccSize}}, accessoryDefaults},
    {ReceiverInput, K::Page, QT_TRANSLATE_NOOP("WindowTitle", "Вход приемника"),
     "transmit.png", true, Radio, M::RB, F::None,
     {{T::InpRadioOffset, T::InpRadioSize}}, radioInputDefaults},
    {MicOutput, K::Page, QT_TRANSLATE_NOOP("WindowTitle", "Выход микрофона"),
     "mic.png", true, Radio, M::RB, F::None,
     {{T::OutRadioOffset, T::OutRadioSize}}, radioOutputDefaults},
    {Vocoder, K::Page, QT_TRANSLATE_NOOP("WindowTitle", "Вокодер"),
     "compress.png", true, Devices, M::Any, F::None,
     {{T::VocOffset, T::VocSize}, {T::Voc2Offset, T::Voc2Size}},
     vocoderDefaults},
    {Amplifier, K::Page, QT_TRANSLATE_NOOP("WindowTitle", "Усилитель НЧ"),
     "sound.png", true, Devices, M::AmpFitted, F::None,
     {{T::AmpOffset, T::AmpSize}}, amplifierDefaults},
    {Recorder, K::Page, QT_TRANSLATE_NOOP("WindowTitle", "Регистратор"),
     "recorder.png", true, Devices, M::Any, F::None,
     {{T::OutRecOffset, T::OutRecSize}, {T::OutRec2Offset, T::OutRec2Size}},
     recorderDefaults},
    {ModemGroup, K::Group, QT_TRANSLATE_NOOP("WindowTitle", "Модем"),
     "connect.png", true, Devices, M::Any, F::None, {}, nullptr},
    {Modem, K::Page, QT_TRANSLATE_NOOP("WindowTitle", "Соединение"),
     "link.png", true, ModemGroup, M::Any, F::None,
     {{T::ModemOffset, T::ModemSize}}, modemDefaults},
    {Codec, K::Page, QT_TRANSLATE_NOOP("WindowTitle", "Кодек"),
     "", true, ModemGroup, M::Any, F::ModemBlocks, {{T::CodecOffset, T::CodecSize}}, codecDefaults},
    {InputAmplifier, K::Page, QT_TRANSLATE_NOOP("WindowTitle", "Входной усилитель"),
     "", true, ModemGroup, M::Any, F::ModemBlocks,
     {{T::ReceiverOffset, T::ReceiverSize}}, receiverDefaults},
    {OutputAmplifier, K::Page, QT_TRANSLATE_NOOP("WindowTitle", "Выходной усилитель"),
     "", true, ModemGroup, M::Any, F::ModemBlocks,
     {{T::TransmitterOffset, T::TransmitterSize}}, transmitterDefaults},
    {Protocol, K::Page, QT_TRANSLATE_NOOP("WindowTitle", "Протокол"),
     "", true, ModemGroup, M::Any, F::ModemBlocks, {{T::LinkOffset, T::LinkSize}}, linkDefaults},
    {Monitor, K::Group, QT_TRANSLATE_NOOP("WindowTitle", "Монитор"),
     "monitor.png", true, None, M::Any, F::None, {}, nullptr},
    {Statistics, K::View, QT_TRANSLATE_NOOP("WindowTitle", "Статистика"),
     "report.png", true, Monitor, M::Any, F::None, {}, nullptr},
    {Constellation, K::View, QT_TRANSLATE_NOOP("WindowTitle", "Созвездие"),
     "picture.png", true, Monitor, M::Any, F::None, {}, nullptr},
    {AdcSignal, K::View, QT_TRANSLATE_NOOP("WindowTitle", "Сигнал АЦП"),
     "channel.png", true, Monitor, M::Any, F::None, {}, nullptr},
    {DacSignal, K::View, QT_TRANSLATE_NOOP("WindowTitle", "Сигнал ЦАП"),
     "channel.png", true, Monitor, M::Any, F::None, {}, nullptr},
    {Channel3, K::View, QT_TRANSLATE_NOOP("WindowTitle", "Канал 3"),
     "channel.png", true, Monitor, M::Any, F::ExtraChannels, {}, nullptr},
    {Channel4, K::View, QT_TRANSLATE_NOOP("WindowTitle", "Канал 4"),
     "channel.png", true, Monitor, M::Any, F::ExtraChannels, {}, nullptr},
    {Trace, K::View, QT_TRANSLATE_NOOP("WindowTitle", "Трассировка"),
     "trace.png", true, Monitor, M::Any, F::TraceView, {}, nullptr},
    {Info, K::Document, QT_TRANSLATE_NOOP("WindowTitle", "Информация"),
     "info.png", true, None, M::Any, F::None, {{T::InfoOffset, T::InfoSize}}, infoDefaults},
    {About, K::View, QT_TRANSLATE_NOOP("WindowTitle", "О программе"),
     "", false, None, M::Any, F::None, {}, nullptr},
};
// clang-format on

bool modelFits(ModelRule rule, quint16 model)
{
    switch (rule) {
    case ModelRule::Any:
        return true;
    case ModelRule::RA:
        return model == TK440::ModelRA;
    case ModelRule::RB:
        return model == TK440::ModelRB;
    case ModelRule::AmpFitted:
        return (model & 1) == 0;
    }
    return false;
}
} // namespace

QList<Section> WindowRow::sectionList() const
{
    QList<Section> list;
    for (const Section &s : sections) {
        if (s.length > 0)
            list.append(s);
    }
    return list;
}

std::span<const WindowRow> windowTable()
{
    return rows;
}

const WindowRow &windowRow(WindowId id)
{
    for (const WindowRow &r : rows) {
        if (r.id == id)
            return r;
    }
    Q_ASSERT_X(false, "windowRow", "an identifier without a row");
    return rows[0];
}

QString WindowRow::displayTitle() const
{
    return QCoreApplication::translate("WindowTitle", title);
}

const WindowRow *findWindow(const QString &title)
{
    // The displayed title follows the translation installed now, so it is not kept.
    for (const WindowRow &r : rows) {
        if (r.titleText() == title || r.displayTitle() == title)
            return &r;
    }
    return nullptr;
}

int treeLevel(const WindowRow &row)
{
    return row.parent == WindowId::None ? 0 : 1 + treeLevel(windowRow(row.parent));
}

bool inDeviceTree(const WindowRow &row, quint16 model, int mode)
{
    return row.inTree && modelFits(row.models, model) && modeAllows(mode, row.feature);
}

QList<const WindowRow *> deviceTreeRows(quint16 model, int mode)
{
    QList<const WindowRow *> list;
    for (const WindowRow &r : rows) {
        if (inDeviceTree(r, model, mode))
            list.append(&r);
    }
    return list;
}
