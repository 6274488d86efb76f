#include "fuzz/targets.h"

#include "config/configfile.h"
#include "config/crc16.h"
#include "config/defaultimage.h"
#include "config/image.h"
#include "config/imagefields.h"
#include "config/infofields.h"
#include "config/tk440.h"
#include "device/acquisitionexchange.h"
#include "device/configexchange.h"
#include "device/configprotocol.h"
#include "device/flashexchange.h"
#include "device/flashprotocol.h"
#include "device/jobs.h"
#include "device/liveexchange.h"
#include "device/monitorexchange.h"
#include "fuzz/scriptlink.h"
#include "views/models/acquisitionformat.h"
#include "views/models/monitorscale.h"

#include <QTime>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace fuzzing {

void violated(const char *what, const char *file, int line)
{
    std::fprintf(stderr, "%s:%d: property violated: %s\n", file, line, what);
    std::abort();
}

namespace {

const Crc16 &crc()
{
    static const Crc16 table;
    return table;
}

// The operating modes a script byte chooses from.
int modeOf(quint8 b)
{
    static const int modes[] = {1, 2, 3, 4, 5, 6, 10};
    return modes[b % std::size(modes)];
}

// The texts a window makes of an image: every section as named fields.
void showImage(const TK440 &image)
{
    const QList<ImageSection> sections = describeImage(image);
    FUZZ_CHECK(!sections.isEmpty());
}

// .mcd files: the loader's size check and checksum check, then what the terminal and the
// command-line tool show of an intact file: its identity, every section as fields, and a
// comparison that tells it from the same file with one byte changed.
Outcome mcdFile(const uint8_t *data, size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    TK440 image;
    std::memset(image.b, 0xA5, sizeof image.b);
    const TK440 before = image;
    if (imageFromBytes(bytes, image) != ConfigReadResult::Ok) {
        FUZZ_CHECK(size != size_t(TK440::Size));
        FUZZ_CHECK(std::memcmp(image.b, before.b, sizeof image.b) == 0);
        return Outcome::Refused;
    }
    FUZZ_CHECK(std::memcmp(image.b, data, sizeof image.b) == 0);
    // A damaged file is refused before anything of it is shown.
    if (!imageChecksumValid(crc(), image))
        return Outcome::Refused;
    showImage(image);
    // Two images that differ in any byte past the checksum never compare equal.
    TK440 other = image;
    const int at = TK440::CheckedOffset + int(image.word(TK440::CrcOffset) % TK440::CheckedSize);
    other.b[at] ^= 0x01;
    FUZZ_CHECK(!compareImages(image, other, true).isEmpty());
    return Outcome::Accepted;
}

// The information area as a file or the controller delivers it: the Info page's fields, and
// the description kept when the text is stored again.
Outcome description(const uint8_t *data, size_t size)
{
    // Exactly the area, so that a read past it is caught.
    const auto info = std::make_unique<quint8[]>(TK440::InfoSize);
    std::memcpy(info.get(), data, std::min<size_t>(size, TK440::InfoSize));
    const InfoFields f = readInfoFields(info.get());
    FUZZ_CHECK(f.desc.size() <= TK440::DescSize);
    const QString text = decodeDescription(f.desc);
    FUZZ_CHECK(!serialText(f.serial).isEmpty());
    FUZZ_CHECK(!dateText(f.day, f.month, f.year).isEmpty());

    QString refused;
    const QString kept = limitDescription(storableDescription(text, &refused));
    FUZZ_CHECK(kept.size() <= DescriptionMaxChars);
    const QByteArray stored = encodeDescription(kept);
    // Every character kept is stored as it is.
    FUZZ_CHECK(decodeDescription(stored) == kept);

    InfoFields g = f;
    g.desc = stored;
    const auto again = std::make_unique<quint8[]>(TK440::InfoSize);
    std::memset(again.get(), 0, TK440::InfoSize);
    writeInfoFields(again.get(), g);
    const InfoFields h = readInfoFields(again.get());
    FUZZ_CHECK(h.serial == f.serial && h.year == f.year && h.month == f.month && h.day == f.day);
    FUZZ_CHECK(h.desc == stored.left(TK440::DescSize));
    return refused.isEmpty() && kept == text ? Outcome::Accepted : Outcome::Refused;
}

// The identification reply after the handshake, and the identity texts the Info page makes.
Outcome identification(const uint8_t *data, size_t size)
{
    ScriptLink link(data, size);
    if (!link.handshake())
        return Outcome::Refused;
    TDev dev {};
    if (!configuration::identify(link, &dev)) {
        FUZZ_CHECK(link.closes == 1);
        return Outcome::Refused;
    }
    FUZZ_CHECK(link.closes == 0);
    const auto ident = std::make_unique<quint8[]>(TK440::IdentSize);
    std::memcpy(ident.get(), &dev, sizeof dev);
    FUZZ_CHECK(!versionText(ident.get()).isEmpty());
    FUZZ_CHECK(cpuIdText(ident.get()).startsWith(QLatin1String("0x")));
    FUZZ_CHECK(cpuSerialText(ident.get()).startsWith(QLatin1String("0x")));
    FUZZ_CHECK(!modelName(dev.model).isEmpty());
    return Outcome::Accepted;
}

// A configuration read: identification, the memory blocks, then the check of the received
// configuration and the fields of an intact one.
Outcome configRead(const uint8_t *data, size_t size)
{
    ScriptLink link(data, size);
    if (!link.handshake())
        return Outcome::Refused;
    TK440 record;
    std::memset(record.b, 0x5A, sizeof record.b);
    quint32 last = 0;
    bool identified = false;
    const configuration::ReadProgress progress {
        [&] { identified = true; },
        [&](quint32 count) {
            FUZZ_CHECK(count >= last && count <= quint32(TK440::Size));
            last = count;
        },
    };
    if (!configuration::read(link, record, progress))
        return Outcome::Refused;
    FUZZ_CHECK(identified && last == quint32(TK440::Size));
    TK440 image;
    const ReadCheck check =
        fromDeviceForm(crc(), QByteArrayView(record.data(), TK440::Size), image);
    if (!check.ok)
        return Outcome::Refused;
    showImage(image);
    return Outcome::Accepted;
}

// A configuration write: the controller's identification, an acknowledgement per block, and
// the read-back. Two script bytes choose the operating mode and the image's model.
Outcome configWrite(const uint8_t *data, size_t size)
{
    static const auto images = [] {
        std::array<TK440, 2> out;
        makeDefaultImage(out[0], TK440::ModelRA, QDate(2024, 3, 5));
        makeDefaultImage(out[1], TK440::ModelRB, QDate(2024, 3, 5));
        for (TK440 &i : out)
            toDeviceForm(crc(), i);
        return out;
    }();
    ScriptLink link(data, size);
    link.setMode(modeOf(link.takeByte()));
    const TK440 &image = images[link.takeByte() & 1];
    if (!link.handshake())
        return Outcome::Refused;
    const int count = writeLength(link.mode());
    const auto record = std::make_unique<char[]>(TK440::Size);
    std::memcpy(record.get(), image.b, TK440::Size);

    bool started = false;
    bool verifying = false;
    int differing = -1;
    const configuration::WriteProgress progress {
        [&] { started = true; },
        [&] { verifying = true; },
        [&](quint32 n) { FUZZ_CHECK(n <= quint32(count)); },
        [&](int d) { differing = d; },
    };
    const bool ok = configuration::write(link, record.get(), count, progress);
    FUZZ_CHECK(std::memcmp(record.get(), image.b, TK440::Size) == 0);
    if (!ok) {
        FUZZ_CHECK(differing == -1);
        return Outcome::Refused;
    }
    FUZZ_CHECK(started && verifying && differing >= 0 && differing <= count);
    return differing == 0 ? Outcome::Accepted : Outcome::Refused;
}

// A live command and its acknowledgement. Script bytes choose the job, its bytes and the mode.
Outcome liveAck(const uint8_t *data, size_t size)
{
    ScriptLink link(data, size);
    const int jobType = link.takeByte() % (JobTrace + 1);
    QByteArray bytes;
    for (int n = link.takeByte() % 17; n > 0; --n)
        bytes.append(char(link.takeByte()));
    link.setMode(modeOf(link.takeByte()));
    const auto command = live::fromJob(jobType, bytes);
    if (!command || !link.handshake())
        return Outcome::Refused;
    const bool fits = live::packet(*command).size() <= link.transferSize();
    const bool ok = live::send(link, *command);
    FUZZ_CHECK(fits || (!ok && link.writes == 0));
    return ok ? Outcome::Accepted : Outcome::Refused;
}

// The monitor stream: channel switches and stream reads in any order, the reads split as the
// script says, each complete frame stored in its block and read as the views read it.
Outcome monitorStream(const uint8_t *data, size_t size)
{
    ScriptLink link(data, size);
    if (!link.handshake())
        return Outcome::Refused;
    monitor::Stream stream;
    const auto mon = std::make_unique<TMon>();
    std::memset(mon.get(), 0, sizeof(TMon));
    int delivered = 0;
    double sum = 0;
    const monitor::Stream::Deliver deliver = [&](int channel, const char *frame) {
        FUZZ_CHECK(channel >= 0 && channel < monitor::Channels);
        FUZZ_CHECK(stream.mask() & (1u << channel));
        TMonBlock &block = mon->ch[channel];
        monitor::storeFrame(frame, block);
        const int n = monitor::blockBytes(block) / 4;
        for (int i = 0; i < n; ++i) {
            if (channel == 0) {
                const monitor::Point p = monitor::point(block, i);
                sum += monitorscale::pointX(p.i) + monitorscale::pointY(p.q);
            } else {
                sum += monitorscale::sampleY(monitor::sample(block, i));
            }
        }
        block.len = 0;
        ++delivered;
    };
    for (int turn = 0; turn < 100000 && !link.exhausted(); ++turn) {
        const quint8 op = link.takeByte();
        if (op >= 0xF0) {
            const monitor::Switch s {quint8(op & 7), bool(op & 8)};
            stream.switchChannel(link, s);
            if (!s.on)
                FUZZ_CHECK(!(stream.mask() & (1u << s.channel)));
            continue;
        }
        const int losses = link.losses;
        const auto outcome = stream.read(link, deliver);
        FUZZ_CHECK(stream.gathered() >= 0 && stream.gathered() < monitor::FrameSize);
        if (outcome == monitor::Stream::ReadOutcome::Lost) {
            FUZZ_CHECK(link.losses == losses + 1);
            stream.reset();
        }
    }
    // The views' positions are used, so that reading the samples is not left out.
    volatile double sink = sum;
    (void)sink;
    return delivered > 0 ? Outcome::Accepted : Outcome::Refused;
}

// The statistics report and the window's texts and bars. A script byte asks for the reset.
Outcome report(const uint8_t *data, size_t size)
{
    ScriptLink link(data, size);
    const bool reset = link.takeByte() & 1;
    if (!link.handshake())
        return Outcome::Refused;
    bool stored = false;
    TReport record {};
    const bool ok = acquisition::report(link, reset, [&](const TReport &r) {
        record = r;
        stored = true;
    });
    FUZZ_CHECK(ok == stored);
    if (!ok)
        return Outcome::Refused;
    const auto texts = reportformat::texts(record);
    FUZZ_CHECK(!texts.isEmpty());
    const reportformat::Bars bars = reportformat::bars(record);
    FUZZ_CHECK(bars.dsp >= 0 && bars.dsp <= 0xFFFF);
    return Outcome::Accepted;
}

// Trace replies as the worker asks for them, one after the other, and the window's lines.
Outcome trace(const uint8_t *data, size_t size)
{
    ScriptLink link(data, size);
    if (!link.handshake())
        return Outcome::Refused;
    // Exactly the worker's buffer, so that a write or read past it is caught.
    const auto buffer = std::make_unique<quint16[]>(TraceBufferSize / 2);
    std::memset(buffer.get(), 0xEE, TraceBufferSize);
    int delivered = 0;
    int wrongEchoes = 0;
    const QTime time(12, 34, 56, 789);
    // Enough turns for the chain to stop on wrong echoes after a delivered reply; every turn
    // is another reply of the same kind.
    for (int turn = 0; turn < 2 * acquisition::MaxWrongEchoes + 2; ++turn) {
        const auto outcome = acquisition::trace(link, buffer.get());
        if (outcome == acquisition::TraceOutcome::Failed)
            break;
        if (outcome == acquisition::TraceOutcome::WrongEcho) {
            if (++wrongEchoes >= acquisition::MaxWrongEchoes)
                break;
            continue;
        }
        wrongEchoes = 0;
        ++delivered;
        const int n = traceformat::capturedBytes(buffer.get());
        FUZZ_CHECK(n <= TraceBufferSize - 4);
        if (n > 0) {
            const QString line = traceformat::line(
                time, buffer[1], reinterpret_cast<const uchar *>(buffer.get()) + 4, n);
            FUZZ_CHECK(line.startsWith(QLatin1String("12:34:56.789-> ")));
        }
    }
    return delivered > 0 ? Outcome::Accepted : Outcome::Refused;
}

// A firmware load: identification, the status, erase, program and read-back replies. Three
// script bytes choose the file's size; its bytes are a fixed pattern.
Outcome flashLoad(const uint8_t *data, size_t size)
{
    constexpr int MaxFile = flash::FlashSize + flash::PageSize;
    static const QByteArray file = [] {
        QByteArray out(MaxFile, '\0');
        for (int i = 0; i < MaxFile; ++i)
            out[i] = char((i * 7 + 3) ^ (i >> 8));
        return out;
    }();
    ScriptLink link(data, size);
    int fileSize = 0;
    for (int i = 0; i < 3; ++i)
        fileSize = (fileSize << 8) | link.takeByte();
    fileSize %= MaxFile + 1;
    if (!link.handshake())
        return Outcome::Refused;
    const quint32 limit = quint32(std::min(fileSize, flash::FlashSize));
    bool started = false;
    int differing = -1;
    const flash::LoadProgress progress {
        [&](quint16) { started = true; },
        [] {},
        [&](quint32 n) { FUZZ_CHECK(n <= limit); },
        [&](int d) { differing = d; },
    };
    const bool ok = flash::load(link, file.constData(), fileSize, progress);
    if (!ok) {
        FUZZ_CHECK(differing == -1);
        return Outcome::Refused;
    }
    FUZZ_CHECK(started && differing >= 0 && quint32(differing) <= limit);
    return differing == 0 ? Outcome::Accepted : Outcome::Refused;
}

} // namespace

const QList<Target> &targets()
{
    static const QList<Target> list = {
        {"mcd_file", mcdFile},
        {"description", description},
        {"identification", identification},
        {"config_read", configRead},
        {"config_write", configWrite},
        {"live_ack", liveAck},
        {"monitor_stream", monitorStream},
        {"report", report},
        {"trace", trace},
        {"flash_load", flashLoad},
    };
    return list;
}

const Target *findTarget(const QString &name)
{
    for (const Target &t : targets()) {
        if (name == QLatin1String(t.name))
            return &t;
    }
    return nullptr;
}

} // namespace fuzzing
