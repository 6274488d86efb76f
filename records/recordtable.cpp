#include "records/recordtable.h"

#include "config/image.h"

void RecordTableModel::setRecords(QList<StoredRecord> list)
{
    beginResetModel();
    records = std::move(list);
    endResetModel();
}

int RecordTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(records.size());
}

int RecordTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QString RecordTableModel::operationText(RecordedOperation operation)
{
    switch (operation) {
    case RecordedOperation::Read:
        return tr("чтение");
    case RecordedOperation::Write:
        return tr("запись");
    case RecordedOperation::Verify:
        return tr("проверка");
    case RecordedOperation::LoadFirmware:
        return tr("загрузка ПО");
    }
    return QString();
}

QString RecordTableModel::outcomeText(RecordedOutcome outcome)
{
    switch (outcome) {
    case RecordedOutcome::Done:
        return tr("выполнено");
    case RecordedOutcome::Verified:
        return tr("проверено");
    case RecordedOutcome::Differs:
        return tr("различается");
    case RecordedOutcome::Failed:
        return tr("ошибка");
    }
    return QString();
}

QVariant RecordTableModel::text(const StoredRecord &s, int column) const
{
    const OperationRecord &r = s.record;
    switch (Column(column)) {
    case Time:
        return r.started.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    case Station:
        return r.station;
    case Operator:
        return r.operatorName;
    case PortPath:
        return r.portPath;
    case Model:
        return r.model ? modelName(quint16(r.model)) : QString();
    case Serial:
        return r.serial;
    case OperationColumn:
        return operationText(r.operation);
    case Mode:
        return r.mode;
    case File:
        return r.fileName;
    case Outcome:
        return outcomeText(r.outcome);
    case Differing:
        return r.differingBytes;
    case Message:
        return r.message;
    case Duration:
        return QString::number(double(r.durationMs) / 1000.0, 'f', 1);
    case ColumnCount:
        break;
    }
    return {};
}

QVariant RecordTableModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= records.size())
        return {};
    const StoredRecord &s = records.at(index.row());
    if (role == SortRole) {
        if (index.column() == Time)
            return s.record.started;
        if (index.column() == Duration)
            return s.record.durationMs;
        return text(s, index.column());
    }
    if (role == Qt::DisplayRole)
        return text(s, index.column());
    if (role == Qt::TextAlignmentRole
        && (index.column() == Differing || index.column() == Duration))
        return int(Qt::AlignRight | Qt::AlignVCenter);
    return {};
}

QVariant RecordTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    static const char *const titles[ColumnCount] = {QT_TR_NOOP("Время"),
                                                    QT_TR_NOOP("Станция"),
                                                    QT_TR_NOOP("Оператор"),
                                                    QT_TR_NOOP("Порт"),
                                                    QT_TR_NOOP("Модель"),
                                                    QT_TR_NOOP("Серийный номер"),
                                                    QT_TR_NOOP("Операция"),
                                                    QT_TR_NOOP("Режим"),
                                                    QT_TR_NOOP("Файл"),
                                                    QT_TR_NOOP("Результат"),
                                                    QT_TR_NOOP("Различных байтов"),
                                                    QT_TR_NOOP("Сообщение"),
                                                    QT_TR_NOOP("Длительность, с")};
    return section >= 0 && section < ColumnCount ? tr(titles[section]) : QVariant();
}

RecordFilterModel::RecordFilterModel(QObject *parent)
    : QSortFilterProxyModel(parent)
{
    setSortRole(RecordTableModel::SortRole);
}

void RecordFilterModel::setSerial(const QString &text)
{
    serial = text.trimmed();
    changed();
}

void RecordFilterModel::setOperation(std::optional<RecordedOperation> op)
{
    operation = op;
    changed();
}

void RecordFilterModel::setSince(const QDate &date)
{
    since = date;
    changed();
}

void RecordFilterModel::changed()
{
    // Qt 6.4 has no begin/endFilterChange: the whole filter is applied again.
    invalidateFilter();
}

bool RecordFilterModel::filterAcceptsRow(int sourceRow, const QModelIndex &) const
{
    const auto *table = static_cast<const RecordTableModel *>(sourceModel());
    const OperationRecord &r = table->at(sourceRow).record;
    return r.serial.contains(serial, Qt::CaseInsensitive)
        && (!operation || r.operation == *operation)
        && (since.isNull() || r.started.toLocalTime().date() >= since);
}

const StoredRecord *RecordFilterModel::recordAt(const QModelIndex &index) const
{
    const QModelIndex source = mapToSource(index);
    if (!source.isValid())
        return nullptr;
    return &static_cast<const RecordTableModel *>(sourceModel())->at(source.row());
}

QList<StoredRecord> RecordFilterModel::shownRecords() const
{
    QList<StoredRecord> out;
    for (int row = 0; row < rowCount(); ++row)
        out.append(*recordAt(index(row, 0)));
    return out;
}

bool hasRecordImage(const StoredRecord &s)
{
    return !s.readImageSha256.isEmpty() || !s.writtenImageSha256.isEmpty();
}

QByteArray recordImage(const StoredRecord &s)
{
    return s.record.readImage.isEmpty() ? s.record.writtenImage : s.record.readImage;
}
