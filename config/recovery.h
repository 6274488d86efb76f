#pragma once
// Configurations that were closed, or left when the program ended, with contents no file
// holds: each is kept in a folder of its own as an entry of two files, the image's 402 bytes
// (<id>.img) and a small description (<id>.json: when, which model, which file it belonged
// to), so that it can be opened again byte for byte. Both files are written atomically, the
// description last, so that an entry is listed only once its image is complete; only the
// newest MaxEntries entries are kept.

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <QList>
#include <QString>

struct RecoveryEntry
{
    QString id; // base name of the entry's two files
    QDateTime time; // when it was kept
    quint16 model = 0; // model word of the image
    QString fileName; // the configuration file the image belonged to; empty when none
};

class RecoveryStore
{
public:
    static constexpr int MaxEntries = 20;

    explicit RecoveryStore(const QString &folder = defaultFolder());
    // "recovery" in the terminal's data folder.
    static QString defaultFolder();
    const QString &folder() const { return dir; }

    // Keeps a 402-byte image that belonged to `fileName` (empty: none) and drops the oldest
    // entries beyond MaxEntries. The path of the kept image, or empty when it could not be
    // written (the folder cannot be made, a write failed: nothing is listed then).
    QString keep(QByteArrayView image, const QString &fileName,
                 const QDateTime &time = QDateTime::currentDateTime());
    // Every complete entry, newest first.
    QList<RecoveryEntry> entries() const;
    // The image of entry `id`: its 402 bytes, or empty when the file is missing or damaged.
    QByteArray image(const QString &id) const;
    QString imagePath(const QString &id) const;

private:
    QString descriptionPath(const QString &id) const;
    // A base name not taken yet, from the time.
    QString freshId(const QDateTime &time) const;
    void prune() const;

    QString dir;
};
