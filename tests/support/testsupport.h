#pragma once
// Helpers shared by the tests.

#include <QByteArray>

#include <sys/resource.h>

// Bytes from a string of hex pairs, blanks allowed: "00 00 40 00".
QByteArray hexBytes(const char *hex);
// n bytes of a fixed pseudo-random sequence for the seed.
QByteArray randomBytes(int n, quint32 seed);

// Limits the size of files this process may write while it lives, so that a real write fails
// part-way (SIGXFSZ is ignored meanwhile, so the write returns short instead of killing).
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;
    bool ok = false;

private:
    rlimit saved {};
    void (*previous)(int) = nullptr;
};
