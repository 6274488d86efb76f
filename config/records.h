#pragma once
// Plain records that the worker thread hands to windows: identification, monitor, statistics.

#include <QtGlobal>

// Identification record of the controller: seven host-order words (image bytes 388..401).
struct TDev
{
    quint16 model;
    quint16 version; // high byte major, low byte minor
    quint16 cpuSerial[4];
    quint16 cpuId;
};
static_assert(sizeof(TDev) == 14);

// One monitor channel block of 1024 bytes.
struct TMonBlock
{
    quint16 len; // data bytes stored by the worker (1020); a view writes 0 once consumed
    quint16 reserved;
    quint16 data[510];
};
static_assert(sizeof(TMonBlock) == 1024);

// The five monitor blocks, channel 0..4; signals point at block 0.
struct TMon
{
    TMonBlock ch[5];
};
static_assert(sizeof(TMon) == 5 * 1024);

// Statistics record: 42 host-order words.
struct TReport
{
    quint16 w[42];
};
static_assert(sizeof(TReport) == 84);

// Size of one captured trace transfer in bytes.
constexpr int TraceBufferSize = 1024;
