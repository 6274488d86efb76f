#pragma once
// A simulated controller installed in a worker thread, ready to be connected.

#include "device/tthread.h"
#include "sim/simcontroller.h"
#include "sim/simtransport.h"

#include <atomic>
#include <memory>

struct SimRig
{
    // A plugged-in controller of this model behind the thread's transport. Time-outs of the
    // simulated transfers wait only 20 ms.
    explicit SimRig(TThread &thread, quint16 model = SimController::ModelRA);

    // Runs the hot-plug check and waits until the connection is open; false on failure.
    bool connect();

    TThread &thread;
    std::shared_ptr<SimController> sim;
    SimTransport *transport = nullptr; // owned by the thread
};

// A worker thread of its own with a simulated K-330RA plugged in and (by default) connected, its
// transfer record cleared: the exchanges' pauses are only counted, not slept.
struct WorkerRig
{
    struct Options
    {
        int mode = 1;
        int payload = 0; // 0 keeps the simulator's own payload size
        bool connect = true; // false: plugged in, not opened
        int timeoutWait = -1; // ms a simulated time-out lasts; -1: the transfer's own time-out
        bool hotplug = false; // a departure runs the hot-plug check, as the main window has it
    };

    explicit WorkerRig(int mode = 1, int payload = 0);
    explicit WorkerRig(const Options &options);
    ~WorkerRig();

    std::shared_ptr<SimController> sim;
    TThread thread;
    std::atomic<int> slept {0}; // milliseconds the worker asked to pause
    std::atomic<int> sleeps {0};
    bool ready = true; // connected within 10 s where asked to connect
};
