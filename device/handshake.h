#pragma once
// The handshake that opens the link: command 0 asks for the payload size N that one transfer
// may carry. Pure functions: no worker, no transport.

#include <QByteArray>
#include <QString>

namespace handshake {

constexpr int ReplySize = 4;

// Command 0 with word 1 = 0x4000.
QByteArray request();
// N from the reply's word 1; 0 (no link) for a reply shorter than four bytes.
int payloadSize(const QByteArray &reply);

// The product string of the controllers this terminal announces.
bool isAnnouncedProduct(const QString &product);

} // namespace handshake
