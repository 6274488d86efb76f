#include "records/recordexport.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace {

QJsonObject storedToJson(const StoredRecord &s)
{
    QJsonObject o = recordToJson(s.record, ImagesInJson::Omit);
    o.insert(QStringLiteral("read_image_sha256"), s.readImageSha256);
    o.insert(QStringLiteral("written_image_sha256"), s.writtenImageSha256);
    return o;
}

QByteArray csvField(const QString &value)
{
    QByteArray bytes = value.toUtf8();
    if (bytes.contains(',') || bytes.contains('"') || bytes.contains('\n') || bytes.contains('\r'))
        bytes = '"' + bytes.replace("\"", "\"\"") + '"';
    return bytes;
}

} // namespace

QByteArray recordsToJson(const QList<StoredRecord> &records)
{
    QJsonArray array;
    for (const StoredRecord &s : records)
        array.append(storedToJson(s));
    return QJsonDocument(array).toJson(QJsonDocument::Indented);
}

QByteArray recordsToCsv(const QList<StoredRecord> &records)
{
    // The columns: the JSON form's fields but the images themselves.
    QList<const char *> columns;
    for (const RecordField &f : recordFields()) {
        if (f.use != RecordField::Image)
            columns.append(f.name);
    }
    QByteArrayList header;
    for (const char *column : columns)
        header.append(column);
    QByteArray out = header.join(',') + "\r\n";
    for (const StoredRecord &s : records) {
        const QJsonObject o = storedToJson(s);
        QByteArrayList fields;
        for (const char *column : columns)
            fields.append(csvField(o.value(QLatin1String(column)).toVariant().toString()));
        out += fields.join(',') + "\r\n";
    }
    return out;
}
