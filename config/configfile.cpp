#include "config/configfile.h"

#include "config/crc16.h"
#include "config/image.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cstring>

ConfigReadResult readConfigFile(const QString &fileName, TK440 &image)
{
    // Only a regular file can be a configuration: opening a FIFO would wait for a writer that
    // may never come, and a device has no end to read to.
    if (!QFileInfo(fileName).isFile())
        return ConfigReadResult::OpenFailed;
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return ConfigReadResult::OpenFailed;
    if (file.size() != TK440::Size)
        return ConfigReadResult::WrongSize;

    // A file may shrink between the size check and the read: never trust the size alone.
    QByteArray bytes(TK440::Size, '\0');
    qint64 got = 0;
    while (got < TK440::Size) {
        const qint64 n = file.read(bytes.data() + got, TK440::Size - got);
        if (n <= 0)
            break;
        got += n;
    }
    file.close();
    if (got != TK440::Size)
        return ConfigReadResult::ShortRead;
    return imageFromBytes(bytes, image);
}

ConfigReadResult imageFromBytes(QByteArrayView bytes, TK440 &image)
{
    if (bytes.size() != TK440::Size)
        return ConfigReadResult::WrongSize;
    std::memcpy(image.b, bytes.data(), TK440::Size);
    return ConfigReadResult::Ok;
}

bool imageChecksumValid(const Crc16 &crc, const TK440 &image)
{
    return image.word(TK440::CrcOffset) == imageChecksum(crc, image);
}

ConfigWriteResult writeConfigFile(const QString &fileName, const Crc16 &crc, TK440 &image)
{
    // Whatever exists under the name must be a regular file: written in place (below), a FIFO
    // would block until someone reads it.
    const QFileInfo target(fileName);
    if (target.exists() && !target.isFile())
        return ConfigWriteResult::OpenFailed;
    QSaveFile file(fileName);
    // A folder that refuses the temporary file beside the target (a writable file in a
    // read-only folder) is written in place instead: the save still succeeds, at the price of
    // the old contents once the file is opened.
    file.setDirectWriteFallback(true);
    // Unbuffered, so that a short write shows in write()'s result: commit() does not notice
    // a failure while flushing its own buffer and would put the truncated file in place. In
    // place it matters as much: the buffer would be flushed only by commit().
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return ConfigWriteResult::OpenFailed;

    storeChecksum(crc, image);
    if (file.write(image.data(), TK440::Size) != TK440::Size) {
        file.cancelWriting();
        return ConfigWriteResult::WriteFailed;
    }
    // commit() flushes, closes and renames; a failure there leaves the old file in place.
    return file.commit() ? ConfigWriteResult::Ok : ConfigWriteResult::WriteFailed;
}

QString configFileDefect(const QString &fileName, const Crc16 &crc, ConfigReadResult read,
                         const TK440 &image)
{
    if (read == ConfigReadResult::WrongSize)
        return QCoreApplication::translate(
                   "ConfigFile",
                   "Файл %1: размер %2 байт, а файл конфигурации занимает ровно %3 байта.")
            .arg(fileName)
            .arg(QFileInfo(fileName).size())
            .arg(TK440::Size);
    if (read != ConfigReadResult::Ok)
        return {};
    const quint16 stored = image.word(TK440::CrcOffset);
    const quint16 computed = imageChecksum(crc, image);
    if (stored != computed)
        return QCoreApplication::translate(
                   "ConfigFile",
                   "Файл %1: контрольная сумма в файле 0x%2, по содержимому 0x%3: файл изменен "
                   "или поврежден.")
            .arg(fileName, QString::number(stored, 16), QString::number(computed, 16));
    if (image.model() != TK440::ModelRA && image.model() != TK440::ModelRB)
        return QCoreApplication::translate(
                   "ConfigFile", "Файл %1: код модели 0x%2 не принадлежит ни K-330RA, ни K-330RB.")
            .arg(fileName, QString::number(image.model(), 16));
    return {};
}
