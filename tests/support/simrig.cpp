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

WorkerRig::WorkerRig(int mode, int payload)
    : WorkerRig(Options {.mode = mode, .payload = payload})
{ }

WorkerRig::WorkerRig(const Options &options)
    : sim(makeSimulatedController(QStringLiteral("RA")))
{
    if (options.payload > 0)
        sim->setPayloadSize(quint16(options.payload));
    if (options.timeoutWait >= 0)
        sim->setTimeoutWait(options.timeoutWait);
    thread.setSleepFunction([this](int ms) {
        slept += ms;
        ++sleeps;
    });
    thread.setMode(options.mode);
    thread.setTransport(makeSimulatedTransport(sim));
    if (options.hotplug)
        QObject::connect(thread.hotplug(), &UsbHotplug::deviceChanged, &thread,
                         &TThread::checkDevice);
    if (!options.connect)
        return;
    thread.checkDevice();
    ready = thread.wait(10000) && thread.isConnected(); // the worker has run the check
    sim->clearTransfers();
}

WorkerRig::~WorkerRig()
{
    thread.stop();
    thread.wait();
}
