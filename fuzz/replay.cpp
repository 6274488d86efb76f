// Runs fuzz targets on stored inputs without libFuzzer, in any build:
//   k330-fuzz-replay TARGET FILE|DIR...   each input once; prints its outcome
//   k330-fuzz-replay --corpus ROOT        every target on ROOT/<target>/; fails when a target
//                                         has no seed or a seed (a file named seed-*) is refused
// An input that breaks a property aborts the run.

#include "fuzz/targets.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>

#include <cstdio>

namespace {

QStringList inputs(const QString &path)
{
    const QFileInfo info(path);
    if (!info.isDir())
        return {path};
    QStringList out;
    const QDir dir(path);
    for (const QString &name : dir.entryList(QDir::Files, QDir::Name))
        out << dir.filePath(name);
    return out;
}

// Runs the target on each input; counts the seeds and the refused seeds.
bool replay(const fuzzing::Target &target, const QStringList &paths, int *seeds, bool verbose)
{
    bool ok = true;
    for (const QString &path : paths) {
        for (const QString &file : inputs(path)) {
            QFile f(file);
            if (!f.open(QIODevice::ReadOnly)) {
                std::fprintf(stderr, "%s: cannot be read\n", qPrintable(file));
                ok = false;
                continue;
            }
            const QByteArray bytes = f.readAll();
            const auto outcome = target.run(reinterpret_cast<const uint8_t *>(bytes.constData()),
                                            size_t(bytes.size()));
            const bool accepted = outcome == fuzzing::Outcome::Accepted;
            const bool seed = QFileInfo(file).fileName().startsWith(QLatin1String("seed-"));
            if (seed) {
                ++*seeds;
                if (!accepted) {
                    std::fprintf(stderr, "%s: %s: seed refused\n", target.name, qPrintable(file));
                    ok = false;
                }
            }
            if (verbose)
                std::printf("%s: %s\n", qPrintable(file), accepted ? "accepted" : "refused");
        }
    }
    return ok;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QLoggingCategory::setFilterRules(QStringLiteral("k330.*=false"));
    const QStringList args = app.arguments().mid(1);
    if (args.size() == 2 && args[0] == QLatin1String("--corpus")) {
        bool ok = true;
        for (const fuzzing::Target &t : fuzzing::targets()) {
            int seeds = 0;
            const QString dir = QDir(args[1]).filePath(QLatin1String(t.name));
            ok = replay(t, {dir}, &seeds, false) && ok;
            std::printf("%s: %lld inputs, %d seeds\n", t.name, qlonglong(inputs(dir).size()),
                        seeds);
            if (seeds == 0) {
                std::fprintf(stderr, "%s: no seed in %s\n", t.name, qPrintable(dir));
                ok = false;
            }
        }
        std::printf(ok ? "PASS\n" : "FAIL\n");
        return ok ? 0 : 1;
    }
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: k330-fuzz-replay TARGET FILE|DIR... | --corpus ROOT\n");
        return 2;
    }
    const fuzzing::Target *target = fuzzing::findTarget(args[0]);
    if (!target) {
        std::fprintf(stderr, "no fuzz target %s\n", qPrintable(args[0]));
        return 2;
    }
    int seeds = 0;
    return replay(*target, args.mid(1), &seeds, true) ? 0 : 1;
}
