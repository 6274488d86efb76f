#pragma once
// The controllers on the bus as the worker last listed them, by port path, with the processor
// serial of those it has identified (a read, a write or a load names the controller it talks
// to). The list names the controller in the log and in the choice of controller once more than
// one is attached. Not locked: its owner guards it.

#include "config/records.h"

#include <QHash>
#include <QList>
#include <QMetaType>
#include <QSet>
#include <QString>
#include <QStringList>

// One attached controller: its port path and, once identified, its model and processor serial
// as the Info page shows them (empty while unknown).
struct AttachedController
{
    QString path;
    QString model;
    QString serial;

    // "1-2 — 0x00000001000200030004", or the path alone while the serial is unknown.
    QString label() const;
    bool operator==(const AttachedController &) const = default;
};

class ControllerRoster
{
public:
    // Takes the port paths listed now, in the transport's order; the serials of controllers
    // that left are forgotten, or with keepGone those stay listed after the others (until the
    // line that says one has gone has named it). True when the list changed.
    bool setListed(const QStringList &paths, bool keepGone = false);
    // The controller at path was identified. True when that changed its serial.
    bool identified(const QString &path, const TDev &id);

    QList<AttachedController> controllers() const;
    bool contains(const QString &path) const { return listed.contains(path); }
    QString first() const { return listed.value(0); }
    bool several() const { return listed.size() > 1; }
    // While several are attached: the listed controllers without a serial that were not
    // offered before, each offered once while it stays listed (one that cannot be identified
    // is not tried at every check).
    QStringList toIdentify();
    // What the connect and disconnect lines add to name the controller at path: " (PATH,
    // SERIAL)" or " (PATH)" while several are attached, else nothing, so that with a single
    // controller the lines stay as they always were.
    QString suffix(const QString &path) const;

private:
    QStringList listed;
    QHash<QString, AttachedController> known; // by port path: the listed ones identified
    QSet<QString> offered; // listed ones offered by toIdentify
};

Q_DECLARE_METATYPE(AttachedController)
Q_DECLARE_METATYPE(QList<AttachedController>)
