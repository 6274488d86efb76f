#pragma once
// The statistics report and trace read exchanges over the open connection. Failures go to the
// log; a removal error closes the connection with the lost-device messages.

#include "device/acquisitionprotocol.h"
#include "device/devicelink.h"

#include <functional>

struct JobContext;

namespace acquisition {

// Code 12 first when `reset` (its send error is logged and the report still requested; no
// reply is read for it), then code 13 and its 86-byte reply. On a complete reply calls
// `store` with the received record, which the caller copies under its lock; returns whether
// it did.
bool report(DeviceLink &link, bool reset, const std::function<void(const TReport &)> &store);

enum class TraceOutcome {
    Delivered, // the buffer holds a reply: word 0 its byte count, word 1 its channel
    WrongEcho, // a reply to another command: logged; ask again
    Failed, // not sent or not received: logged; the chain ends
};
// Sends code 16 and reads the reply into `buffer` (TraceBufferSize bytes).
TraceOutcome trace(DeviceLink &link, quint16 *buffer);

// The worker's jobs (acquisitionjobs.cpp). JobReport and JobReportReset: the statistics record;
// JobTrace: one trace reply into the trace record, asked again at once after a wrong echo.
void reportJob(const JobContext &context);
void traceJob(const JobContext &context);

} // namespace acquisition
