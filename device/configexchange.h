#pragma once
// The configuration exchanges over an open connection: identification, reading the
// configuration memory, and writing it with read-back verification. The packets and checks are
// in configprotocol.h; here they are put in order, with the log lines and the progress.

#include "config/records.h"
#include "config/tk440.h"
#include "device/devicelink.h"

#include <functional>

struct JobContext;

namespace configuration {

// Asks for the identification record. On failure logs why, closes the link and returns false.
bool identify(DeviceLink &link, TDev *out);

// Progress of a read: the identification is in the record; bytes received so far.
struct ReadProgress
{
    std::function<void()> identified;
    std::function<void(quint32 count)> received;
};
// Reads the identification into the end of record and the configuration memory into its
// start. On failure logs why and returns false.
bool read(DeviceLink &link, TK440 &record, const ReadProgress &progress);

// Progress of a write: the controller accepted the record and the blocks go out; the
// read-back starts; bytes written (then verified) so far.
struct WriteProgress
{
    std::function<void()> started;
    std::function<void()> verifying;
    std::function<void(quint32 count)> count;
    // Optional: bytes that differ on read-back, once the write has been verified.
    std::function<void(int differing)> checked = {};
    // Optional: the controller's identification, before its model is checked.
    std::function<void(const TDev &id)> identified = {};
};
// Writes the first count bytes of the record (at most the configuration memory) after checking
// that the controller is of the record's model, then reads them back and logs how many differ.
// On failure logs why and returns false.
bool write(DeviceLink &link, const char *record, int count, const WriteProgress &progress);

// The worker's jobs (configjobs.cpp). JobRead: the identification and the configuration into a
// new record, handed over at the end; JobWrite: the job's image, `size` bytes of it.
void readJob(const JobContext &context);
void writeJob(const JobContext &context);

} // namespace configuration
