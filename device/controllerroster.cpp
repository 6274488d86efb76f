#include "device/controllerroster.h"

#include "device/controllers.h"

QString AttachedController::label() const
{
    return serial.isEmpty() ? path : path + QStringLiteral(" — ") + serial;
}

bool ControllerRoster::setListed(const QStringList &paths, bool keepGone)
{
    QStringList next = paths;
    for (const QString &path : listed) {
        if (keepGone && !next.contains(path))
            next.append(path);
    }
    if (next == listed)
        return false;
    listed = next;
    for (auto it = serials.begin(); it != serials.end();) {
        if (listed.contains(it.key()))
            ++it;
        else
            it = serials.erase(it);
    }
    return true;
}

bool ControllerRoster::identified(const QString &path, const TDev &id)
{
    if (path.isEmpty())
        return false;
    ControllerIdentity identity;
    identity.path = path;
    identity.id = id;
    const QString serial = identity.serialText();
    if (serials.value(path) == serial)
        return false;
    serials.insert(path, serial);
    return true;
}

QList<AttachedController> ControllerRoster::controllers() const
{
    QList<AttachedController> out;
    for (const QString &path : listed)
        out.append({path, serials.value(path)});
    return out;
}

QString ControllerRoster::suffix(const QString &path) const
{
    if (!several() || path.isEmpty())
        return {};
    const QString serial = serials.value(path);
    return serial.isEmpty() ? QStringLiteral(" (%1)").arg(path)
                            : QStringLiteral(" (%1, %2)").arg(path, serial);
}
