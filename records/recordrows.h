#pragma once
// A record as a row of the records table: the columns in their order, the values bound for an
// insert, the record read back from a row; and what a row tells of the unit's contents.

#include "records/recorddatabase.h"

class QSqlQuery;

namespace RecordRows {

// The columns, comma-separated, in the order bind() binds and fromRow() reads them.
extern const QString columns;
constexpr int count = 21;

void bind(QSqlQuery &query, const OperationRecord &record);
StoredRecord fromRow(const QSqlQuery &query);

QString idText(const QUuid &id);

// The SHA-256 of the image the unit holds after this record, or empty when the record does
// not show it (a failed or differing write, a failed read, a firmware load).
QString resultingImage(const StoredRecord &record);

} // namespace RecordRows
