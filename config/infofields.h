#pragma once
// The information area (serial number, manufacturing date, description) and the identity
// fields as the Info page shows them: conversions free of widgets.

#include <QByteArray>
#include <QDate>
#include <QString>
#include <QtGlobal>

// Longest description the information area holds, in bytes (one byte per character in
// Windows-1251). Text that grows beyond it while typing or pasting is cut to one less.
inline constexpr int DescriptionMaxChars = 199;
inline constexpr int DescriptionCutChars = 198;

// Fields of the information area (`info` points at offset 182 of an image).
struct InfoFields
{
    int serial = 0; // 0..1000 as entered
    int year = 0;
    int month = 0;
    int day = 0;
    QByteArray desc; // Windows-1251 bytes actually in use (at most 199)
};

InfoFields readInfoFields(const quint8 *info);
// Writes the fields; a description longer than 199 bytes is cut at 199.
void writeInfoFields(quint8 *info, const InfoFields &fields);

// Defaults of a new image: serial 0, no description, the given date.
void setInfoDefaults(quint8 *info, QDate today);

// Description text <-> its Windows-1251 bytes. Characters the code page lacks become '?'.
QByteArray encodeDescription(const QString &text);
QString decodeDescription(const QByteArray &bytes);

// True when the description can hold the character (one code point) as it is, that is when
// Windows-1251 has a byte for it; any other character would be stored as '?'.
bool descriptionCanStore(char32_t c);
// The text without the characters the description cannot hold; those are appended to
// `refused` (when given) in their order. A surrogate pair counts as one character.
QString storableDescription(const QString &text, QString *refused = nullptr);

// Applies the typing limit: text longer than 199 characters becomes its first 198;
// shorter text comes back unchanged.
QString limitDescription(const QString &text);

// "0042": decimal, at least four digits.
QString serialText(int serial);
// "05.03.2013": two-digit day and month, then the year in decimal.
QString dateText(int day, int month, int year);
inline QString dateText(QDate d)
{
    return dateText(d.day(), d.month(), d.year());
}

// Identity fields (`ident` points at offset 388 of an image).
// "2.1": major byte (391), ".", minor byte (390).
QString versionText(const quint8 *ident);
// "0x" + processor identifier in upper-case hex without leading zeros.
QString cpuIdText(const quint8 *ident);
// "0x" + the four processor serial words, each in upper-case hex without leading zeros,
// concatenated without separators.
QString cpuSerialText(const quint8 *ident);
