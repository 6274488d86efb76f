#pragma once
// The USB transport on libusb-1.0. Only libusbtransport.cpp includes libusb.h.

#include "device/usbtransport.h"

#include <memory>

struct libusb_context;

class LibusbTransport : public UsbTransport
{
    Q_OBJECT

public:
    // With a context the transport uses it and leaves it alive; without one it creates its
    // own on first use (not at construction, so that an emulated bus can be set up first).
    explicit LibusbTransport(libusb_context *context = nullptr);
    ~LibusbTransport() override;

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

    // libusb's own result codes to the error numbers this transport reports.
    static int errorNumber(int libusbError);

private:
    struct Private;
    std::unique_ptr<Private> d;
};
