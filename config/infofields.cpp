#include "config/infofields.h"

#include "config/tk440.h"

#include <QSet>
#include <QTextCodec>

#include <algorithm>
#include <cstring>

namespace {
constexpr int Serial = TK440::SerialOffset - TK440::InfoOffset;
constexpr int Year = TK440::YearOffset - TK440::InfoOffset;
constexpr int Month = TK440::MonthOffset - TK440::InfoOffset;
constexpr int Day = TK440::DayOffset - TK440::InfoOffset;
constexpr int DescLen = TK440::DescLenOffset - TK440::InfoOffset;
constexpr int Desc = TK440::DescOffset - TK440::InfoOffset;

constexpr int Version = TK440::VersionOffset - TK440::IdentOffset;
constexpr int CpuSerial = TK440::CpuSerialOffset - TK440::IdentOffset;
constexpr int CpuId = TK440::CpuIdOffset - TK440::IdentOffset;

quint16 word(const quint8 *p)
{
    return quint16(p[0] | (p[1] << 8));
}

void setWord(quint8 *p, int value)
{
    p[0] = quint8(value);
    p[1] = quint8(value >> 8);
}

QTextCodec *codec1251()
{
    static QTextCodec *const codec = QTextCodec::codecForName("Windows-1251");
    Q_ASSERT(codec);
    return codec;
}

QString hexWord(quint16 w)
{
    return QString::number(w, 16).toUpper();
}
} // namespace

InfoFields readInfoFields(const quint8 *info)
{
    InfoFields f;
    f.serial = word(info + Serial);
    f.year = word(info + Year);
    f.month = info[Month];
    f.day = info[Day];
    // A length byte above 199 (a foreign or damaged image) must not reach past the
    // information area into the identification.
    const int len = std::min<int>(info[DescLen], TK440::DescSize);
    f.desc = QByteArray(reinterpret_cast<const char *>(info + Desc), len);
    return f;
}

void writeInfoFields(quint8 *info, const InfoFields &fields)
{
    setWord(info + Serial, fields.serial);
    setWord(info + Year, fields.year);
    info[Month] = quint8(fields.month);
    info[Day] = quint8(fields.day);
    const int len = std::min<int>(fields.desc.size(), TK440::DescSize);
    info[DescLen] = quint8(len);
    std::memcpy(info + Desc, fields.desc.constData(), size_t(len));
}

void setInfoDefaults(quint8 *info, QDate today)
{
    setWord(info + Serial, 0);
    info[DescLen] = 0;
    setWord(info + Year, today.year());
    info[Month] = quint8(today.month());
    info[Day] = quint8(today.day());
}

QByteArray encodeDescription(const QString &text)
{
    return codec1251()->fromUnicode(text);
}

QString decodeDescription(const QByteArray &bytes)
{
    return codec1251()->toUnicode(bytes);
}

namespace {
// The characters the description stores as they are: those the codec can encode and that come
// back unchanged. Windows-1251 has one byte per character, so they are among the 256 bytes'
// decodings; the set is made once, since the codec opens a converter on every call and the
// Info page checks every character of the text on each change.
const QSet<char32_t> &storableCharacters()
{
    static const QSet<char32_t> set = [] {
        QSet<char32_t> out;
        for (int b = 0; b < 256; ++b) {
            const QString one = decodeDescription(QByteArray(1, char(b)));
            if (one.size() != 1 || one[0].isSurrogate())
                continue;
            if (codec1251()->canEncode(one) && decodeDescription(encodeDescription(one)) == one)
                out.insert(one[0].unicode());
        }
        return out;
    }();
    return set;
}
} // namespace

bool descriptionCanStore(char32_t c)
{
    // A lone half of a surrogate pair passes the codec's own check, yet is stored as '?'.
    if (QChar::isSurrogate(c))
        return false;
    return storableCharacters().contains(c);
}

QString storableDescription(const QString &text, QString *refused)
{
    QString kept;
    kept.reserve(text.size());
    for (qsizetype i = 0; i < text.size();) {
        qsizetype n = 1;
        char32_t c = text[i].unicode();
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(text[i], text[i + 1]);
            n = 2;
        }
        const QStringView one = QStringView(text).mid(i, n);
        if (descriptionCanStore(c))
            kept += one;
        else if (refused)
            *refused += one;
        i += n;
    }
    return kept;
}

QString limitDescription(const QString &text)
{
    return text.size() > DescriptionMaxChars ? text.left(DescriptionCutChars) : text;
}

QString serialText(int serial)
{
    return QStringLiteral("%1").arg(serial, 4, 10, QLatin1Char('0'));
}

QString dateText(int day, int month, int year)
{
    return QStringLiteral("%1.%2.%3")
        .arg(day, 2, 10, QLatin1Char('0'))
        .arg(month, 2, 10, QLatin1Char('0'))
        .arg(year);
}

QString versionText(const quint8 *ident)
{
    return QStringLiteral("%1.%2").arg(ident[Version + 1]).arg(ident[Version]);
}

QString cpuIdText(const quint8 *ident)
{
    return QStringLiteral("0x") + hexWord(word(ident + CpuId));
}

QString cpuSerialText(const quint8 *ident)
{
    QString s = QStringLiteral("0x");
    for (int i = 0; i < 4; ++i)
        s += hexWord(word(ident + CpuSerial + 2 * i));
    return s;
}
