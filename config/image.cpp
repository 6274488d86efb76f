#include "config/image.h"

#include "config/crc16.h"
#include "config/modes.h"

#include <cstring>

namespace {
// The 16-bit words the controller stores in its own byte order: the block sections.
constexpr int WordAreaSize = TK440::ConfigAreaSize - TK440::CheckedOffset;
} // namespace

void swapBytes(const void *src, void *dst, int size)
{
    const auto *s = static_cast<const quint8 *>(src);
    auto *d = static_cast<quint8 *>(dst);
    for (int i = 0; i + 1 < size; i += 2) {
        const quint8 lo = s[i];
        const quint8 hi = s[i + 1];
        d[i] = hi;
        d[i + 1] = lo;
    }
}

QString modelName(quint16 model)
{
    switch (model) {
    case TK440::ModelRA:
        return QStringLiteral("K-330RA");
    case TK440::ModelRB:
        return QStringLiteral("K-330RB");
    default:
        return QStringLiteral("xxxxxxx");
    }
}

bool isKnownModel(quint16 model)
{
    return model == TK440::ModelRA || model == TK440::ModelRB;
}

quint16 imageChecksum(const Crc16 &crc, const TK440 &image)
{
    return crc.compute(image.b + TK440::CheckedOffset, TK440::CheckedSize);
}

void storeChecksum(const Crc16 &crc, TK440 &image)
{
    image.setWord(TK440::CrcOffset, imageChecksum(crc, image));
}

void toDeviceForm(const Crc16 &crc, TK440 &record)
{
    swapBytes(record.b + TK440::CheckedOffset, record.b + TK440::CheckedOffset, WordAreaSize);
    record.setWord(TK440::CrcOffset, crc.compute(record.b + TK440::CheckedOffset, WordAreaSize));
}

ReadCheck fromDeviceForm(const Crc16 &crc, QByteArrayView wire, TK440 &out)
{
    ReadCheck check;
    if (wire.size() != TK440::Size)
        return check;
    TK440 host;
    std::memcpy(host.b, wire.data(), TK440::Size);
    check.computed = crc.compute(host.b + TK440::CheckedOffset, WordAreaSize);
    swapBytes(host.b + TK440::CheckedOffset, host.b + TK440::CheckedOffset, WordAreaSize);
    check.stored = host.word(TK440::CrcOffset);
    check.ok = check.computed == check.stored;
    if (check.ok)
        out = host;
    return check;
}

int writeLength(int mode)
{
    return modeAllows(mode, ModeFeature::WriteInfoArea) ? TK440::IdentOffset
                                                        : TK440::ConfigAreaSize;
}

bool isValidStoredImage(const Crc16 &crc, const QByteArray &bytes)
{
    if (bytes.size() != TK440::Size)
        return false;
    TK440 image;
    std::memcpy(image.b, bytes.constData(), TK440::Size);
    return image.word(TK440::CrcOffset) == imageChecksum(crc, image);
}

void initNewImageIdentity(TK440 &image, quint16 model)
{
    std::memset(image.b, 0, TK440::Size);
    image.setWord(TK440::ModelOffset, model);
    image.setWord(TK440::VersionOffset, TK440::NewImageVersion);
}
