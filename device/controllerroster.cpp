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
    offered.intersect(QSet<QString>(listed.cbegin(), listed.cend()));
    for (auto it = known.begin(); it != known.end();) {
        if (listed.contains(it.key()))
            ++it;
        else
            it = known.erase(it);
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
    const AttachedController c {path, identity.modelText(), identity.serialText()};
    if (known.value(path) == c)
        return false;
    known.insert(path, c);
    return true;
}

QStringList ControllerRoster::toIdentify()
{
    QStringList out;
    if (!several())
        return out;
    for (const QString &path : listed) {
        if (!known.contains(path) && !offered.contains(path)) {
            offered.insert(path);
            out.append(path);
        }
    }
    return out;
}

QList<AttachedController> ControllerRoster::controllers() const
{
    QList<AttachedController> out;
    for (const QString &path : listed)
        out.append(known.value(path, {path, {}, {}}));
    return out;
}

QString ControllerRoster::suffix(const QString &path) const
{
    if (!several() || path.isEmpty())
        return {};
    const QString serial = known.value(path).serial;
    return serial.isEmpty() ? QStringLiteral(" (%1)").arg(path)
                            : QStringLiteral(" (%1, %2)").arg(path, serial);
}
