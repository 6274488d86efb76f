#pragma once
// Records a signal that another thread emits, delivered queued into the test's thread, so the
// test reads the record without racing the emitter (QSignalSpy appends in the emitting thread).

#include <QList>
#include <QObject>
#include <QVariant>

class QueuedSpy : public QObject
{
public:
    template<typename Sender, typename... Args>
    QueuedSpy(Sender *sender, void (Sender::*signal)(Args...))
    {
        connect(
            sender, signal, this,
            [this](Args... args) { calls.append(QVariantList {QVariant::fromValue(args)...}); },
            Qt::QueuedConnection);
    }

    qsizetype size() const { return calls.size(); }
    const QVariantList &at(qsizetype i) const { return calls.at(i); }
    const QVariantList &last() const { return calls.last(); }
    QStringList strings() const
    {
        QStringList out;
        for (const QVariantList &call : calls)
            out.append(call.value(0).toString());
        return out;
    }

    QList<QVariantList> calls;
};
