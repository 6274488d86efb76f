#pragma once
// A query's records as text for scripts: a JSON array (the records' JSON form, images by their
// SHA-256 only) or CSV with a header line (RFC 4180: fields with a comma, quote or line break
// quoted, quotes doubled; CRLF line ends).

#include "records/recorddatabase.h"

QByteArray recordsToJson(const QList<StoredRecord> &records);
QByteArray recordsToCsv(const QList<StoredRecord> &records);
