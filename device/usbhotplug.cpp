#include "device/usbhotplug.h"

UsbHotplug::UsbHotplug(QObject *parent)
    : QObject(parent)
{
    connect(&timer, &QTimer::timeout, this, &UsbHotplug::deviceChanged);
}

void UsbHotplug::startPolling(int ms)
{
    QMetaObject::invokeMethod(this, [this, ms] { timer.start(ms); });
}

void UsbHotplug::notify()
{
    QMetaObject::invokeMethod(this, &UsbHotplug::deviceChanged, Qt::QueuedConnection);
}
