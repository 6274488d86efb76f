#pragma once
// Decorator that appends one text line per USB transfer to a file, for diagnosing the link.
//
// Line: "yyyy-MM-dd HH:mm:ss.zzz <endpoint> req=<bytes asked> tmo=<ms> res=<bytes moved or
// error number>[ <bytes moved in hex>]". Control requests use the endpoint name "Ep0" followed
// by the request ("Ep0 string", "Ep0 config"). A transport pointed at a port path puts it in
// brackets before the endpoint ("[1-2] Ep1out ..."). Each line is flushed as it is written.

#include "device/usbtransport.h"

#include <QFile>
#include <QMutex>

class TracingTransport : public UsbTransport
{
    Q_OBJECT

public:
    TracingTransport(std::unique_ptr<UsbTransport> inner, const QString &fileName);
    ~TracingTransport() override;

    bool isTracing() const { return file.isOpen(); }
    UsbTransport *inner() const { return next.get(); }

    int open(quint16 vendor, quint16 product) override;
    bool isOpen() const override;
    int productString(QByteArray *out, int maxLength) override;
    int setConfiguration(int configuration) override;
    int claimInterface(int interface) override;
    int prepareEndpoint(quint8 endpoint) override;
    int bulkWrite(quint8 endpoint, const char *data, int size, int timeoutMs) override;
    int bulkRead(quint8 endpoint, char *data, int size, int timeoutMs) override;
    void close() override;
    bool isListed(quint16 vendor, quint16 product) override;
    bool watch(quint16 vendor, quint16 product) override;
    QList<UsbPortInfo> list(quint16 vendor, quint16 product) override;
    void setPortPath(const QString &path) override;
    QString portPath() const override;

    // One trace line without the time stamp (exposed for its format test).
    static QByteArray formatLine(const QString &endpoint, int requested, int timeoutMs, int result,
                                 const char *data);

private:
    void append(const QString &endpoint, int requested, int timeoutMs, int result,
                const char *data);

    std::unique_ptr<UsbTransport> next;
    QMutex fileMutex; // guards file
    QFile file;
};
