#pragma once
// The tables of the record database, one schema for SQLite and PostgreSQL, and the steps that
// create it and bring an older one up to date. The table schema_version holds one row with
// the number of the schema a database has; a database whose number is higher than this
// program knows was made by a newer program and is neither changed nor written.

#include <QString>

class QSqlDatabase;

enum class RecordEngine { SQLite, PostgreSQL };

enum class SchemaResult {
    Ready, // the schema is the one this program knows (created or brought up to date)
    Newer, // made by a newer program: nothing was written
    Failed, // a statement failed: the database is not usable
};

namespace RecordSchema {

// The schema this program writes.
constexpr int Version = 1;

// The version a database has: 0 for a database without the schema, -1 when it cannot be read.
int versionOf(QSqlDatabase &db, QString *error = nullptr);

// Creates the schema or runs the steps from `found` up to Version, inside one transaction that
// also keeps a second program from doing the same at once. `found` is what versionOf said
// before; it is read again under the lock.
SchemaResult prepare(QSqlDatabase &db, RecordEngine engine, int *found, QString *error);

} // namespace RecordSchema
