#pragma once
// The operation records as a table for the journal window: one row per record with the columns
// the window shows, a sort value per cell, the filters by serial, operation and start date, and
// the image a record offers to open or restore.

#include "records/recorddatabase.h"

#include <QAbstractTableModel>
#include <QDate>
#include <QSortFilterProxyModel>

class RecordTableModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column {
        Time,
        Station,
        Operator,
        PortPath,
        Model,
        Serial,
        OperationColumn,
        Mode,
        File,
        Outcome,
        Differing,
        Message,
        Duration,
        ColumnCount
    };
    // The value a column sorts by: the time, the counts as numbers, the rest as shown.
    static constexpr int SortRole = Qt::UserRole;

    using QAbstractTableModel::QAbstractTableModel;

    void setRecords(QList<StoredRecord> list);
    const StoredRecord &at(int row) const { return records.at(row); }

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    // The names the window shows for an operation and an outcome.
    static QString operationText(RecordedOperation operation);
    static QString outcomeText(RecordedOutcome outcome);

private:
    QVariant text(const StoredRecord &s, int column) const;

    QList<StoredRecord> records;
};

// Rows of one unit (its serial contains the text), of one operation, started on or after a
// date (local time); an empty text, no operation or a null date lets every row pass.
class RecordFilterModel : public QSortFilterProxyModel
{
    Q_OBJECT
public:
    explicit RecordFilterModel(QObject *parent = nullptr);

    void setSerial(const QString &text);
    void setOperation(std::optional<RecordedOperation> operation);
    void setSince(const QDate &date);

    // The records of the rows shown, in their order.
    QList<StoredRecord> shownRecords() const;
    const StoredRecord *recordAt(const QModelIndex &index) const;

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const override;

private:
    void changed();

    QString serial;
    std::optional<RecordedOperation> operation;
    QDate since;
};

// Whether the record keeps a configuration image.
bool hasRecordImage(const StoredRecord &s);
// The image the journal opens and restores from a record loaded with its images: what the unit
// held before it (a write's backup) or what was read from it, else what was written to it.
QByteArray recordImage(const StoredRecord &s);
