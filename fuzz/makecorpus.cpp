// Writes the seed corpus of every fuzz target: valid inputs made by the terminal's own encoders
// and, for the exchanges, the replies the simulated controller gives to the real exchanges,
// recorded in the targets' script form.
//   k330-fuzz-corpus ROOT      writes ROOT/<target>/seed-*

#include "config/crc16.h"
#include "config/defaultimage.h"
#include "config/image.h"
#include "config/infofields.h"
#include "config/tk440.h"
#include "device/acquisitionexchange.h"
#include "device/configexchange.h"
#include "device/flashexchange.h"
#include "device/flashprotocol.h"
#include "device/jobs.h"
#include "device/liveexchange.h"
#include "device/monitorexchange.h"
#include "fuzz/scriptlink.h"
#include "sim/simcontroller.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLoggingCategory>

#include <cstdio>
#include <cstring>

using fuzzing::RecordingLink;
using fuzzing::ScriptWriter;

namespace {

QString root;
bool failed = false;

void save(const char *target, const QString &name, const QByteArray &bytes)
{
    const QDir dir(QDir(root).filePath(QLatin1String(target)));
    if (!dir.exists() && !QDir().mkpath(dir.path())) {
        failed = true;
        return;
    }
    QFile f(dir.filePath(QStringLiteral("seed-") + name));
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size()) {
        std::fprintf(stderr, "%s: cannot be written\n", qPrintable(f.fileName()));
        failed = true;
    }
}

void check(bool ok, const char *what)
{
    if (!ok) {
        std::fprintf(stderr, "corpus: %s failed against the simulated controller\n", what);
        failed = true;
    }
}

TK440 defaultImage(quint16 model)
{
    TK440 image;
    makeDefaultImage(image, model, QDate(2024, 3, 5));
    return image;
}

void mcdFiles()
{
    const Crc16 crc;
    TK440 ra = defaultImage(TK440::ModelRA);
    storeChecksum(crc, ra);
    TK440 rb = defaultImage(TK440::ModelRB);
    InfoFields info = readInfoFields(rb.b + TK440::InfoOffset);
    info.serial = 42;
    info.desc = encodeDescription(QStringLiteral("Пульт диспетчера №2, стойка 7"));
    writeInfoFields(rb.b + TK440::InfoOffset, info);
    storeChecksum(crc, rb);
    TK440 full = defaultImage(TK440::ModelRA);
    info = readInfoFields(full.b + TK440::InfoOffset);
    info.serial = 1000;
    info.desc = QByteArray(TK440::DescSize, 'Z');
    writeInfoFields(full.b + TK440::InfoOffset, info);
    storeChecksum(crc, full);
    const struct
    {
        const char *name;
        const TK440 &image;
    } files[] = {{"ra.mcd", ra}, {"rb-description.mcd", rb}, {"ra-full-description.mcd", full}};
    for (const auto &f : files) {
        save("mcd_file", QLatin1String(f.name), QByteArray(f.image.data(), TK440::Size));
        save("description", QLatin1String(f.name).chopped(4) + QLatin1String(".info"),
             QByteArray(f.image.data() + TK440::InfoOffset, TK440::InfoSize));
    }
}

void identification()
{
    const struct
    {
        const char *name;
        const char *model;
        quint16 payload;
        quint16 version;
    } cases[] = {{"ra", "RA", 512, 0x0201}, {"rb", "RB", 64, 0x0201}, {"ra-v20", "RA", 14, 0x0200}};
    for (const auto &c : cases) {
        ScriptWriter script;
        RecordingLink link(QLatin1String(c.model), c.payload, script);
        link.controller().setVersion(c.version);
        TDev dev {};
        check(link.open() && configuration::identify(link, &dev), "identification");
        save("identification", QLatin1String(c.name), script.bytes());
    }
}

void configRead()
{
    const struct
    {
        const char *name;
        const char *model;
        quint16 payload;
    } cases[] = {{"ra-512", "RA", 512}, {"rb-64", "RB", 64}, {"ra-100", "RA", 100}};
    for (const auto &c : cases) {
        ScriptWriter script;
        RecordingLink link(QLatin1String(c.model), c.payload, script);
        TK440 record {};
        check(link.open()
                  && configuration::read(link, record,
                                         {[] {},
                                          [](quint32) {
                                          }}),
              "configuration read");
        save("config_read", QLatin1String(c.name), script.bytes());
    }
}

void configWrite()
{
    // Mode index (1, 2, 3, 4, 5, 6, 10) and model index (RA, RB) as the target reads them.
    const struct
    {
        const char *name;
        quint8 modeIndex;
        int mode;
        quint8 modelIndex;
        quint16 payload;
    } cases[] = {
        {"ra-mode1", 0, 1, 0, 512}, {"rb-mode10", 6, 10, 1, 512}, {"ra-mode3-64", 2, 3, 0, 64}};
    for (const auto &c : cases) {
        ScriptWriter script;
        script.byte(c.modeIndex).byte(c.modelIndex);
        const quint16 model = c.modelIndex ? TK440::ModelRB : TK440::ModelRA;
        RecordingLink link(QLatin1String(c.modelIndex ? "RB" : "RA"), c.payload, script);
        link.setMode(c.mode);
        TK440 record = defaultImage(model);
        toDeviceForm(Crc16(), record);
        int differing = -1;
        check(link.open()
                  && configuration::write(link, record.data(), writeLength(c.mode),
                                          {[] {}, [] {}, [](quint32) {},
                                           [&](int d) {
                                               differing = d;
                                           }})
                  && differing == 0,
              "configuration write");
        save("config_write", QLatin1String(c.name), script.bytes());
    }
}

void liveAck()
{
    const struct
    {
        const char *name;
        int job;
        QByteArray bytes;
    } cases[] = {
        {"codec", JobCodec, QByteArray("\x0c\x3f", 2)},
        {"amp", JobAmp, QByteArray("\x05", 1)},
        {"param4", JobParam4, QByteArray("\x01\x02\x03\x04", 4)},
        {"param11", JobParam11, QByteArray("\x00\x10", 2)},
        {"trace-mode", JobTraceMode, QByteArray("\x00\x0f", 2)},
    };
    for (const auto &c : cases) {
        ScriptWriter script;
        script.byte(quint8(c.job)).byte(quint8(c.bytes.size()));
        for (char b : c.bytes)
            script.byte(quint8(b));
        script.byte(6); // mode 10: every command is logged
        RecordingLink link(QStringLiteral("RA"), 512, script);
        link.setMode(10);
        const auto command = live::fromJob(c.job, c.bytes);
        check(command && link.open() && live::send(link, *command), "live command");
        save("live_ack", QLatin1String(c.name), script.bytes());
    }
}

void monitorStream()
{
    const struct
    {
        const char *name;
        QList<quint8> channels;
        QList<QList<int>> splits; // per frame: the pieces it arrives in (none: whole)
    } cases[] = {
        {"ch1-whole", {1}, {{}, {}}},
        {"ch0-split", {0}, {{100, 924}, {1, 512, 511}}},
        {"ch1-ch2-split", {1, 2}, {{1000, 24}, {}, {2, 2, 2, 1018}}},
    };
    for (const auto &c : cases) {
        ScriptWriter script;
        RecordingLink link(QStringLiteral("RA"), 512, script);
        bool ok = link.open();
        monitor::Stream stream;
        for (quint8 ch : c.channels) {
            script.byte(quint8(0xF8 | ch));
            ok = ok
                && stream.switchChannel(link, {ch, true})
                    != monitor::Stream::SwitchOutcome::Unchanged;
        }
        int frames = 0;
        for (const QList<int> &pieces : c.splits) {
            if (!pieces.isEmpty())
                link.controller().monitorStream().splitNext(pieces);
            for (qsizetype read = 0; read < qMax<qsizetype>(1, pieces.size()) && ok; ++read) {
                script.byte(0);
                ok = stream.read(link, [&](int, const char *) { ++frames; })
                    == monitor::Stream::ReadOutcome::Continue;
            }
        }
        for (quint8 ch : c.channels) {
            script.byte(quint8(0xF0 | ch));
            stream.switchChannel(link, {ch, false});
        }
        check(ok && frames == c.splits.size(), "monitor stream");
        save("monitor_stream", QLatin1String(c.name), script.bytes());
    }
}

void report()
{
    for (bool reset : {false, true}) {
        ScriptWriter script;
        script.byte(reset ? 1 : 0);
        RecordingLink link(QStringLiteral("RA"), 512, script);
        check(link.open() && acquisition::report(link, reset, [](const TReport &) {}), "report");
        save("report", QLatin1String(reset ? "reset" : "plain"), script.bytes());
    }
}

void trace()
{
    const struct
    {
        const char *name;
        quint16 payload;
        QList<SimTrace::Line> lines;
    } cases[] = {
        {"two-lines", 512, {{0, QByteArray("\x0a\xff\x10", 3)}, {3, QByteArray(40, '\x55')}}},
        {"channel-error-64", 64, {{7, QByteArray("\x01\x02", 2)}, {2, QByteArray(60, '\x33')}}},
        {"header-only", 512, {}},
    };
    for (const auto &c : cases) {
        ScriptWriter script;
        RecordingLink link(QStringLiteral("RA"), c.payload, script);
        for (const SimTrace::Line &l : c.lines)
            link.controller().traceCapture().inject(l);
        bool ok = link.open();
        quint16 buffer[TraceBufferSize / 2] {};
        for (int i = 0; i < qMax(1, int(c.lines.size())) && ok; ++i)
            ok = acquisition::trace(link, buffer) == acquisition::TraceOutcome::Delivered;
        check(ok, "trace");
        save("trace", QLatin1String(c.name), script.bytes());
    }
}

void flashLoad()
{
    // The target's file: the same pattern, of the size its first three script bytes give.
    constexpr int MaxFile = flash::FlashSize + flash::PageSize;
    QByteArray file(MaxFile, '\0');
    for (int i = 0; i < MaxFile; ++i)
        file[i] = char((i * 7 + 3) ^ (i >> 8));
    const struct
    {
        const char *name;
        int size;
        quint16 payload;
    } cases[] = {
        {"empty", 0, 512}, {"300-512", 300, 512}, {"700-64", 700, 64}, {"600-260", 600, 260}};
    for (const auto &c : cases) {
        ScriptWriter script;
        script.byte(quint8(c.size >> 16)).byte(quint8(c.size >> 8)).byte(quint8(c.size));
        RecordingLink link(QStringLiteral("RB"), c.payload, script);
        int differing = -1;
        check(link.open()
                  && flash::load(link, file.constData(), c.size,
                                 {[](quint16) {}, [] {}, [](quint32) {},
                                  [&](int d) {
                                      differing = d;
                                  }})
                  && differing == 0,
              "firmware load");
        save("flash_load", QLatin1String(c.name), script.bytes());
    }
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QLoggingCategory::setFilterRules(QStringLiteral("k330.*=false"));
    if (app.arguments().size() != 2) {
        std::fprintf(stderr, "usage: k330-fuzz-corpus ROOT\n");
        return 2;
    }
    root = app.arguments()[1];
    mcdFiles();
    identification();
    configRead();
    configWrite();
    liveAck();
    monitorStream();
    report();
    trace();
    flashLoad();
    return failed ? 1 : 0;
}
