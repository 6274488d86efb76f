#include "sim/simcontroller.h"

SimController::SimController(QObject *parent)
    : SimUsbDevice(parent)
    , boot([this](int offset, const QByteArray &bytes) { flash.setContents(offset, bytes); })
{
    config.attach(port);
    live.attach(port);
    flash.attach(port);
    stats.attach(port);
    trace.attach(port);
    monitor.attach(port);
    setEndpointHandler(SimCommandPort::CommandEndpoint, &port);
    setEndpointHandler(SimBootStream::Endpoint, &boot);
    setEndpointHandler(SimMonitorStream::Endpoint, &monitor);
}

SimController::~SimController()
{
    // No transfer may reach a part while the parts go.
    setEndpointHandler(SimCommandPort::CommandEndpoint, nullptr);
    setEndpointHandler(SimBootStream::Endpoint, nullptr);
    setEndpointHandler(SimMonitorStream::Endpoint, nullptr);
}

void SimController::setModel(quint16 model)
{
    config.changeIdentification([model](TDev &d) { d.model = model; });
}

void SimController::setVersion(quint16 version)
{
    config.changeIdentification([version](TDev &d) { d.version = version; });
}

void SimController::setCpuSerial(const std::array<quint16, 4> &serial)
{
    config.changeIdentification(
        [&serial](TDev &d) { std::copy(serial.begin(), serial.end(), d.cpuSerial); });
}

void SimController::setCpuId(quint16 id)
{
    config.changeIdentification([id](TDev &d) { d.cpuId = id; });
}

quint16 SimController::traceMode() const
{
    return trace.mode();
}
