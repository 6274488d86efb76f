#include "config/sections.h"

#include "config/tk440.h"

#include <QHash>

#include <cstring>

namespace {
const QHash<QString, QList<Section>> &sectionTable()
{
    static const QHash<QString, QList<Section>> table = {
        {QStringLiteral("Кодек"), {{TK440::CodecOffset, TK440::CodecSize}}},
        {QStringLiteral("Входной усилитель"), {{TK440::ReceiverOffset, TK440::ReceiverSize}}},
        {QStringLiteral("Вход микрофона"), {{TK440::InpRadioOffset, TK440::InpRadioSize}}},
        {QStringLiteral("Вход приемника"), {{TK440::InpRadioOffset, TK440::InpRadioSize}}},
        {QStringLiteral("Выход приемника"), {{TK440::OutRadioOffset, TK440::OutRadioSize}}},
        {QStringLiteral("Выход микрофона"), {{TK440::OutRadioOffset, TK440::OutRadioSize}}},
        {QStringLiteral("Выходной усилитель"),
         {{TK440::TransmitterOffset, TK440::TransmitterSize}}},
        {QStringLiteral("Регистратор"),
         {{TK440::OutRecOffset, TK440::OutRecSize}, {TK440::OutRec2Offset, TK440::OutRec2Size}}},
        {QStringLiteral("Выход гарнитуры"), {{TK440::OutExtOffset, TK440::OutExtSize}}},
        {QStringLiteral("Выход аксессуарный"), {{TK440::OutAccOffset, TK440::OutAccSize}}},
        {QStringLiteral("Усилитель НЧ"), {{TK440::AmpOffset, TK440::AmpSize}}},
        {QStringLiteral("Вокодер"),
         {{TK440::VocOffset, TK440::VocSize}, {TK440::Voc2Offset, TK440::Voc2Size}}},
        {QStringLiteral("Протокол"), {{TK440::LinkOffset, TK440::LinkSize}}},
        {QStringLiteral("Соединение"), {{TK440::ModemOffset, TK440::ModemSize}}},
    };
    return table;
}
} // namespace

QList<Section> pageSections(const QString &title)
{
    return sectionTable().value(title);
}

bool isPageName(const QString &title)
{
    return sectionTable().contains(title);
}

void copySections(const QString &title, const quint8 *from, quint8 *to)
{
    for (const Section &s : sectionTable().value(title))
        std::memcpy(to + s.offset, from + s.offset, size_t(s.length));
}
