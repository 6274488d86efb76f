#pragma once
// Operations on the configuration image: byte-pair swap, checksum, validity, model names,
// identity of a new image.

#include "config/tk440.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

class Crc16;

// Copies size/2 16-bit words from src to dst, exchanging the two bytes of each; src and dst
// may be the same range. An odd last byte is not touched.
void swapBytes(const void *src, void *dst, int size);

// "K-330RA", "K-330RB", or "xxxxxxx" for any other code.
QString modelName(quint16 model);
bool isKnownModel(quint16 model);

// Checksum of bytes 2..401 as the image stores it at offset 0.
quint16 imageChecksum(const Crc16 &crc, const TK440 &image);
void storeChecksum(const Crc16 &crc, TK440 &image);

// Converts a record in place to the form the controller stores: the word area (bytes 2..181)
// in wire order and its checksum at offset 0.
void toDeviceForm(const Crc16 &crc, TK440 &record);

// Outcome of checking a configuration as the controller sent it.
struct ReadCheck
{
    bool ok = false; // the two values match: the configuration arrived intact
    quint16 computed = 0; // checksum of the word area as it came off the wire
    quint16 stored = 0; // checksum word the configuration carries
};

// Checks a configuration as the read exchange delivers it (402 bytes: the word area in wire
// order, the checksum word as the controller keeps it, the identification) and converts it to
// the host form. The checksum is computed over the word area as it came off the wire; the
// controller keeps it high byte first, so the stored little-endian word of an intact
// configuration equals it. `out` is written only when they match; input of any other length
// fails with both values 0.
ReadCheck fromDeviceForm(const Crc16 &crc, QByteArrayView wire, TK440 &out);

// Bytes of the image written to the controller in operating mode `mode`: the whole
// configuration memory the terminal uses (388) in modes 3 and 10, the checksum and block
// sections (182) otherwise.
int writeLength(int mode);

// A stored image is valid when it has exactly 402 bytes and its checksum word matches.
bool isValidStoredImage(const Crc16 &crc, const QByteArray &bytes);

// Zeroes the image and sets the identity fields of a new configuration: the model and
// software version 2.1. Section defaults come from makeDefaultImage (config/defaultimage.h).
void initNewImageIdentity(TK440 &image, quint16 model);
