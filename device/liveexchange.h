#pragma once
// The live-command exchange: one packet to endpoint 0x01, one acknowledgement from endpoint
// 0x81. Failures only go to the log; the connection stays.

#include "device/devicelink.h"
#include "device/liveprotocol.h"

struct JobContext;

namespace live {

// Sends the command and reads its acknowledgement; in mode 10 logs what was sent. Returns
// whether both transfers succeeded.
bool send(DeviceLink &link, const Command &command);

// The worker's job (livejobs.cpp) for every job type that carries a live command
// (fromJob); nothing without a connection.
void commandJob(const JobContext &context);

} // namespace live
