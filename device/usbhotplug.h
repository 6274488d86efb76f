#pragma once
// Tells the main window that a controller arrived or left, so that it runs the hot-plug check.

#include <QObject>
#include <QTimer>

// Always emits deviceChanged() in the thread it lives in (the GUI thread): notifications of
// the transport, which may come from libusb's event thread, are queued here first. Where the
// platform reports no hot-plug events, a periodic timer stands in for them.
class UsbHotplug : public QObject
{
    Q_OBJECT

public:
    explicit UsbHotplug(QObject *parent = nullptr);

    // Emits deviceChanged() every ms milliseconds; callable from any thread.
    void startPolling(int ms);
    bool isPolling() const { return timer.isActive(); }

    // Queues one deviceChanged() into this object's thread; callable from any thread.
    void notify();

Q_SIGNALS:
    void deviceChanged();

private:
    QTimer timer;
};
