#pragma once
// The open connection as an exchange sees it: transfers, pauses, the program log and the
// operating mode. The worker implements it over its transport; tests implement it over a script.

#include <QByteArray>
#include <QCoreApplication>
#include <QString>

class DeviceLink
{
public:
    virtual ~DeviceLink();

    // Bulk transfers with the normal time-out: bytes moved or a negative error number.
    virtual int write(quint8 endpoint, const char *data, int size) = 0;
    virtual int read(quint8 endpoint, char *data, int size) = 0;
    // A read with its own time-out (the monitor stream's); a link without time-outs reads as
    // read() does.
    virtual int readFor(quint8 endpoint, char *data, int size, int timeoutMs)
    {
        Q_UNUSED(timeoutMs);
        return read(endpoint, data, size);
    }
    // Bytes one transfer may carry: the payload size the controller announced plus the 8-byte
    // header (the size of the worker's transfer buffer).
    virtual int transferSize() const = 0;
    // A protocol pause: the controller stores or prepares data meanwhile.
    virtual void pause(int ms) = 0;
    // One line of the program log.
    virtual void log(const QString &line) = 0;
    // The operating mode the terminal runs in.
    virtual int mode() const = 0;
    // Closes the connection after a failed step; an announced connection is announced gone.
    virtual void close() = 0;
    // The controller has left the bus (a transfer's removal error): closes and says so.
    virtual void lost() = 0;

    int write(quint8 endpoint, const QByteArray &packet)
    {
        return write(endpoint, packet.constData(), int(packet.size()));
    }
    // Reads one reply of at most transferSize() bytes from endpoint 0x81 into reply, which
    // then holds exactly the bytes received (none after an error). Returns their number or
    // the error number.
    int readReply(QByteArray &reply);
};

// Log texts of the exchanges, translated in the worker's context: LinkText::tr("...").
class LinkText
{
    Q_DECLARE_TR_FUNCTIONS(TThread)
};

namespace linktext {
// "text" followed by the number: the failure texts that end in an error number.
QString withNumber(const QString &text, int n);
} // namespace linktext
