#include "simrig.h"

#include <QTest>

SimRig::SimRig(TThread &t, quint16 model)
    : thread(t)
    , sim(std::make_shared<SimController>())
{
    sim->setModel(model);
    sim->setTimeoutWait(20);
    auto adapter = std::make_unique<SimTransport>(sim);
    transport = adapter.get();
    thread.setTransport(std::move(adapter));
}

bool SimRig::connect()
{
    // The worker runs the check; once it has drained its queue the handshake is over.
    thread.checkDevice();
    return thread.wait(5000) && thread.isConnected();
}
