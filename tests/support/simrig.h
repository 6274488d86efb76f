#pragma once
// A simulated controller installed in a worker thread, ready to be connected.

#include "device/tthread.h"
#include "sim/simcontroller.h"
#include "sim/simtransport.h"

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
