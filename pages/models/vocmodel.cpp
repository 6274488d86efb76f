#include "pages/models/vocmodel.h"

#include "pages/models/sectionwords.h"

#include <QCoreApplication>

namespace VocModel {

using SectionWords::clamped;
using SectionWords::get;
using SectionWords::set;

QStringList rateTexts()
{
    // The first four carry a leading blank so that the decimal points line up.
    return {QCoreApplication::translate("VocModel", "Откл."),
            QStringLiteral(" 6.0"),
            QStringLiteral(" 6.1"),
            QStringLiteral(" 7.2"),
            QStringLiteral(" 8.0"),
            QStringLiteral("11.0"),
            QStringLiteral("11.8"),
            QStringLiteral("15.0"),
            QStringLiteral("17.6")};
}

void writeDefaults(quint8 *encoder, quint8 *decoder)
{
    set(encoder, EncFlags, 1);
    set(encoder, Rate, MaxRate);
    set(encoder, Packet, 1);
    set(encoder, VadGain, 0x3F00);
    set(encoder, AncGain, 0x3F00);
    set(decoder, DecFlags, 0);
    set(decoder, Buffer, 1);
    set(decoder, Reserved, 0);
}

Values load(quint8 *encoder, quint8 *decoder)
{
    Values v;
    const quint16 flags = get(encoder, EncFlags);
    v.ptt = flags & 1;
    v.vbr = flags & 4;
    v.vad = (flags & 2) && !v.vbr;
    v.anc = flags & 8;
    v.rate = clamped(encoder, Rate, MaxRate);
    v.packetMs = clamped(encoder, Packet, MaxPacketCode) * TimeUnit;
    v.vadGain = gainOf(get(encoder, VadGain));
    v.ancGain = gainOf(get(encoder, AncGain));
    v.adjust = get(decoder, DecFlags) & 1;
    v.bufferMs = (clamped(decoder, Buffer, MaxBufferCode) + 1) * TimeUnit;
    return v;
}

void store(quint8 *encoder, quint8 *decoder, const Values &v)
{
    set(encoder, EncFlags,
        quint16((v.ptt ? 1 : 0) | (v.vad ? 2 : 0) | (v.vbr ? 4 : 0) | (v.anc ? 8 : 0)));
    set(encoder, Rate, quint16(qBound(0, v.rate, MaxRate)));
    set(encoder, Packet, quint16(qBound(0, v.packetMs / TimeUnit, MaxPacketCode)));
    set(encoder, VadGain, gainWord(v.vadGain));
    set(encoder, AncGain, gainWord(v.ancGain));
    set(decoder, DecFlags, v.adjust ? 1 : 0);
    set(decoder, Buffer, quint16(qBound(0, v.bufferMs / TimeUnit - 1, MaxBufferCode)));
}

} // namespace VocModel
