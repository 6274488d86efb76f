#pragma once
// What the monitoring windows export, without widgets: the comma-separated tables of a sweep,
// of a constellation's dots and of a statistics record, and the atomic save of a file.

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QPoint>
#include <QString>

#include <utility>

namespace exportformat {

// "position,value", then one row per sample position from 0 (the 32-bit sample).
QByteArray sweepCsv(const QList<qint32> &samples);
// "point,I,Q", then one row per point number from 0.
QByteArray pointsCsv(const QList<QPoint> &points);
// "field,value", then one row per field in the given order.
QByteArray fieldsCsv(const QList<std::pair<QString, QString>> &fields);

enum class SaveResult {
    Ok,
    OpenFailed, // the folder refuses the file, or the name is taken by other than a file
    WriteFailed, // short or failed write; a previous file is left as it was
};
// Writes the bytes through a temporary file that replaces the target only once complete;
// where the folder refuses the temporary file, an existing writable target is written in place.
SaveResult saveFile(const QString &fileName, QByteArrayView bytes);

} // namespace exportformat
