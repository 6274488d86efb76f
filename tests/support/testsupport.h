#pragma once
// Helpers shared by the tests.

#include <QByteArray>

// Bytes from a string of hex pairs, blanks allowed: "00 00 40 00".
QByteArray hexBytes(const char *hex);
