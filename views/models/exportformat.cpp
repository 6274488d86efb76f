#include "views/models/exportformat.h"

#include <QFileInfo>
#include <QSaveFile>

namespace exportformat {

QByteArray sweepCsv(const QList<qint32> &samples)
{
    QByteArray out("position,value\n");
    for (qsizetype i = 0; i < samples.size(); ++i)
        out += QByteArray::number(i) + ',' + QByteArray::number(samples.at(i)) + '\n';
    return out;
}

QByteArray pointsCsv(const QList<QPoint> &points)
{
    QByteArray out("point,I,Q\n");
    for (qsizetype i = 0; i < points.size(); ++i)
        out += QByteArray::number(i) + ',' + QByteArray::number(points.at(i).x()) + ','
            + QByteArray::number(points.at(i).y()) + '\n';
    return out;
}

QByteArray fieldsCsv(const QList<std::pair<QString, QString>> &fields)
{
    QByteArray out("field,value\n");
    for (const auto &[field, value] : fields)
        out += field.toUtf8() + ',' + value.toUtf8() + '\n';
    return out;
}

SaveResult saveFile(const QString &fileName, QByteArrayView bytes)
{
    // Written in place (below), a FIFO would block until someone reads it, and a device
    // would be replaced by the renamed temporary file.
    const QFileInfo target(fileName);
    if (target.exists() && !target.isFile())
        return SaveResult::OpenFailed;
    QSaveFile file(fileName);
    file.setDirectWriteFallback(true);
    // Unbuffered, so that a short write shows in write()'s result rather than being lost in
    // the flush of commit().
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return SaveResult::OpenFailed;
    if (file.write(bytes.data(), bytes.size()) != bytes.size()) {
        file.cancelWriting();
        return SaveResult::WriteFailed;
    }
    return file.commit() ? SaveResult::Ok : SaveResult::WriteFailed;
}

} // namespace exportformat
