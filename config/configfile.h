#pragma once
// Configuration files (.mcd): exactly the 402 bytes of the image. Reading checks the size and
// the length actually read; writing is atomic wherever the folder allows it, so a failed save
// does not damage the old file.

#include "config/tk440.h"

#include <QByteArrayView>
#include <QString>

class Crc16;

enum class ConfigReadResult {
    Ok,
    OpenFailed, // not a regular file, or it cannot be opened for reading
    WrongSize, // the file is not exactly 402 bytes long
    ShortRead, // fewer than 402 bytes could be read
};

enum class ConfigWriteResult {
    Ok,
    OpenFailed, // the file (or its temporary twin) cannot be created, or the name is taken by
                // something other than a regular file
    WriteFailed, // short or failed write, or the new file could not replace the old one
};

// The image a file of these bytes holds: WrongSize unless there are exactly 402 bytes, and
// `image` is then untouched.
ConfigReadResult imageFromBytes(QByteArrayView bytes, TK440 &image);

// Reads the whole file into `image`. The checksum is not checked here: the caller reports a
// damaged file only after it has taken note of the file (see imageChecksumValid).
ConfigReadResult readConfigFile(const QString &fileName, TK440 &image);

// True when the checksum word at offset 0 matches bytes 2..401.
bool imageChecksumValid(const Crc16 &crc, const TK440 &image);

// Why a file that was read with this result (and, where it was read, holds this image) cannot
// be used, for the program log: its size, its checksum or its model. Empty when none is wrong.
QString configFileDefect(const QString &fileName, const Crc16 &crc, ConfigReadResult read,
                         const TK440 &image);

// Stores the checksum into `image` once the target can be written, then writes the 402 bytes
// through a temporary file that replaces the target only after a complete write. On
// OpenFailed the image is left untouched; on WriteFailed the previous file is unchanged,
// except where the folder lets no temporary file be created: there an existing writable
// target is written in place, and a failed write leaves it damaged.
ConfigWriteResult writeConfigFile(const QString &fileName, const Crc16 &crc, TK440 &image);
