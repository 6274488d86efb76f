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
    thread.checkDevice();
    return QTest::qWaitFor([this] { return thread.isConnected(); }, 5000);
}
