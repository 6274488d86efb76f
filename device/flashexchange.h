#pragma once
// The firmware load: over an open connection it programs the controller's serial flash
// instruction by instruction and reads it back; in boot mode the file is streamed to the
// controller's firmware endpoint. The packets and the order are in flashprotocol.h.

#include "config/records.h"
#include "device/devicelink.h"

#include <functional>

struct JobContext;

namespace flash {

// How long a status poll waits for the flash to become ready, counted in the pauses between
// the polls: far above the slowest sector erase (a few seconds at most).
constexpr int BusyLimitMs = 10000;
constexpr int BusyPollMs = 5;
constexpr int EraseMs = 800;
constexpr int ReadBackPauseMs = 10;

// Progress of a load: the controller's model (0 in boot mode) when the writing starts, the
// read-back starting, and bytes written (then verified) so far.
struct LoadProgress
{
    std::function<void(quint16 model)> started;
    std::function<void()> verifying;
    std::function<void(quint32 count)> count;
    // Optional: bytes that differ on read-back, once the load has been verified.
    std::function<void(int differing)> checked = {};
    // Optional, normal mode: the controller's identification, before the writing starts.
    std::function<void(const TDev &id)> identified = {};
};

// Normal mode: identifies the controller, writes the first min(size, FlashSize) bytes of data
// and reads them back, logging how many differ. On failure logs why and returns false.
bool load(DeviceLink &link, const char *data, int size, const LoadProgress &progress);

// Boot mode over a link the caller opened in configuration 1 with the stream endpoint
// prepared: the file in 64-byte pieces. On failure logs why and returns false.
bool stream(DeviceLink &link, const char *data, int size, const LoadProgress &progress);

// The worker's job (flashjobs.cpp). JobLoad: the job's file over the open connection, or, with
// no controller open, in boot mode.
void loadJob(const JobContext &context);

} // namespace flash
