#include "app/connectionstatus.h"

#include "config/image.h"
#include "config/infofields.h"
#include "config/modes.h"

ConnectionStatus::ConnectionStatus(QWidget *parent)
    : QLabel(parent)
{
    setObjectName(QStringLiteral("connectionStatus"));
    refresh();
}

void ConnectionStatus::setConnected(bool c)
{
    connected = c;
    if (!c) {
        model = 0;
        serial.clear();
    }
    refresh();
}

void ConnectionStatus::setController(const TDev &dev)
{
    model = dev.model;
    // The identity area of an image and the identification reply share one layout.
    serial = cpuSerialText(reinterpret_cast<const quint8 *>(&dev));
    refresh();
}

void ConnectionStatus::setModel(quint16 m)
{
    if (m == 0 || m == model)
        return;
    model = m;
    serial.clear();
    refresh();
}

void ConnectionStatus::setMode(int m)
{
    mode = m;
    refresh();
}

void ConnectionStatus::refresh()
{
    QStringList parts;
    if (!connected) {
        parts << tr("Контроллер не подключен");
    } else {
        parts << tr("Контроллер подключен");
        if (model)
            parts << modelName(model);
        if (!serial.isEmpty())
            parts << tr("серийный номер процессора ") + serial;
    }
    parts << (OperatingMode(mode) == OperatingMode::User ? tr("режим пользовательский")
                                                         : tr("сервисный режим %1").arg(mode));
    setText(parts.join(QStringLiteral(", ")));
}
