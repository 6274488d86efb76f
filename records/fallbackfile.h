#pragma once
// The file of last resort: records that no database took, one JSON line each. Writers and the
// reader that takes the records back into a database lock the file, so that several programs
// of one station can share it without losing a line.

#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>

namespace FallbackFile {

// Appends `line` and a line feed, and waits until it is on the disk; false when the file
// cannot be created or written whole.
bool append(const QString &path, const QByteArray &line);

// Hands the file's lines to `take`; when it returns true the file is emptied, under the same
// lock. True when there was nothing to take or `take` took it.
bool drain(const QString &path, const std::function<bool(const QList<QByteArray> &)> &take);

} // namespace FallbackFile
