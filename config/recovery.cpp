#include "config/recovery.h"

#include "config/tk440.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QStandardPaths>

#include <algorithm>

namespace {

const char *const ImageSuffix = ".img";
const char *const DescriptionSuffix = ".json";

bool writeAtomically(const QString &path, QByteArrayView bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return false;
    if (file.write(bytes.data(), bytes.size()) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

} // namespace

RecoveryStore::RecoveryStore(const QString &folder)
    : dir(folder)
{ }

QString RecoveryStore::defaultFolder()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation))
        .filePath(QStringLiteral("recovery"));
}

QString RecoveryStore::imagePath(const QString &id) const
{
    return QDir(dir).filePath(id + QLatin1String(ImageSuffix));
}

QString RecoveryStore::descriptionPath(const QString &id) const
{
    return QDir(dir).filePath(id + QLatin1String(DescriptionSuffix));
}

QString RecoveryStore::freshId(const QDateTime &time) const
{
    const QString stem = time.toString(QStringLiteral("yyyyMMdd-HHmmss-zzz"));
    QString id = stem;
    for (int n = 2; QFileInfo::exists(imagePath(id)) || QFileInfo::exists(descriptionPath(id)); ++n)
        id = stem + QLatin1Char('-') + QString::number(n);
    return id;
}

QString RecoveryStore::keep(QByteArrayView image, const QString &fileName, const QDateTime &time)
{
    if (image.size() != TK440::Size || !QDir().mkpath(dir))
        return QString();
    const QString id = freshId(time);
    const auto *b = reinterpret_cast<const quint8 *>(image.data());
    const QJsonObject description {
        {QStringLiteral("time"), time.toString(Qt::ISODateWithMs)},
        {QStringLiteral("model"), int(b[TK440::ModelOffset] | (b[TK440::ModelOffset + 1] << 8))},
        {QStringLiteral("file"), fileName},
    };
    if (!writeAtomically(imagePath(id), image)
        || !writeAtomically(descriptionPath(id), QJsonDocument(description).toJson())) {
        QFile::remove(imagePath(id));
        return QString();
    }
    prune();
    return imagePath(id);
}

QList<RecoveryEntry> RecoveryStore::entries() const
{
    QList<RecoveryEntry> out;
    const QStringList names =
        QDir(dir).entryList({QLatin1String("*") + QLatin1String(DescriptionSuffix)}, QDir::Files);
    for (const QString &name : names) {
        QFile f(QDir(dir).filePath(name));
        if (!f.open(QIODevice::ReadOnly) || f.size() > 64 * 1024)
            continue;
        const QJsonObject o = QJsonDocument::fromJson(f.readAll()).object();
        RecoveryEntry e;
        e.id = QFileInfo(name).completeBaseName();
        e.time =
            QDateTime::fromString(o.value(QStringLiteral("time")).toString(), Qt::ISODateWithMs);
        e.model = quint16(o.value(QStringLiteral("model")).toInt());
        e.fileName = o.value(QStringLiteral("file")).toString();
        if (e.time.isValid() && QFileInfo(imagePath(e.id)).size() == TK440::Size)
            out << e;
    }
    std::sort(out.begin(), out.end(), [](const RecoveryEntry &a, const RecoveryEntry &b) {
        return a.time != b.time ? a.time > b.time : a.id > b.id;
    });
    return out;
}

QByteArray RecoveryStore::image(const QString &id) const
{
    QFile f(imagePath(id));
    if (!QFileInfo(f.fileName()).isFile() || !f.open(QIODevice::ReadOnly)
        || f.size() != TK440::Size)
        return QByteArray();
    const QByteArray bytes = f.read(TK440::Size + 1);
    return bytes.size() == TK440::Size ? bytes : QByteArray();
}

void RecoveryStore::prune() const
{
    const QList<RecoveryEntry> all = entries();
    for (qsizetype i = MaxEntries; i < all.size(); ++i) {
        // The description goes first: an entry without it is no longer listed.
        QFile::remove(descriptionPath(all[i].id));
        QFile::remove(imagePath(all[i].id));
    }
}
