#include "app/journalwindow.h"

#include "records/recordexport.h"
#include "records/recordtable.h"
#include "views/viewexport.h"

#include <QComboBox>
#include <QDateEdit>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace {
const QLatin1String RecordPrefix("record:");
// The date edit's lowest date stands for no date filter and shows as "все".
const QDate NoDate(2000, 1, 1);
} // namespace

JournalWindow::JournalWindow(RecordQuery &query, JournalActions actions, QWidget *parent)
    : QWidget(parent)
    , actions(std::move(actions))
    , query(query)
    , table(new RecordTableModel(this))
    , filter(new RecordFilterModel(this))
    , view(new QTableView)
    , status(new QLabel)
{
    setObjectName(QStringLiteral("journalWindow"));
    setWindowTitle(tr("Журнал операций"));
    setAttribute(Qt::WA_DeleteOnClose);
    filter->setSourceModel(table);
    view->setObjectName(QStringLiteral("records"));
    view->setModel(filter);
    view->setSortingEnabled(true);
    view->sortByColumn(RecordTableModel::Time, Qt::DescendingOrder);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->verticalHeader()->hide();
    status->setObjectName(QStringLiteral("status"));

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(makeFilters());
    layout->addWidget(view, 1);
    layout->addWidget(status);
    layout->addWidget(makeButtons());
    resize(760, 360);

    connect(&query, &RecordQuery::history, this, &JournalWindow::loaded);
    connect(&query, &RecordQuery::record, this, &JournalWindow::recordLoaded);
    connect(&query, &RecordQuery::failed, this, &JournalWindow::queryFailed);
    connect(view->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &JournalWindow::selectionChanged);
    connect(filter, &QAbstractItemModel::modelReset, this, &JournalWindow::selectionChanged);
    connect(filter, &QAbstractItemModel::layoutChanged, this, &JournalWindow::selectionChanged);
    reload();
}

QWidget *JournalWindow::makeFilters()
{
    auto *row = new QWidget;
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    serialEdit = new QLineEdit;
    serialEdit->setObjectName(QStringLiteral("serialFilter"));
    serialEdit->setPlaceholderText(tr("Серийный номер"));
    connect(serialEdit, &QLineEdit::textChanged, filter, &RecordFilterModel::setSerial);

    operationBox = new QComboBox;
    operationBox->setObjectName(QStringLiteral("operationFilter"));
    operationBox->addItem(tr("Все операции"), -1);
    for (RecordedOperation op : {RecordedOperation::Read, RecordedOperation::Write,
                                 RecordedOperation::Verify, RecordedOperation::LoadFirmware})
        operationBox->addItem(RecordTableModel::operationText(op), int(op));
    connect(operationBox, &QComboBox::currentIndexChanged, this, [this] {
        const int op = operationBox->currentData().toInt();
        filter->setOperation(op < 0 ? std::nullopt
                                    : std::optional<RecordedOperation>(RecordedOperation(op)));
    });

    sinceEdit = new QDateEdit;
    sinceEdit->setObjectName(QStringLiteral("sinceFilter"));
    sinceEdit->setCalendarPopup(true);
    sinceEdit->setMinimumDate(NoDate);
    sinceEdit->setSpecialValueText(tr("все"));
    sinceEdit->setDate(NoDate);
    connect(sinceEdit, &QDateEdit::dateChanged, this,
            [this](QDate date) { filter->setSince(date == NoDate ? QDate() : date); });

    layout->addWidget(serialEdit, 1);
    layout->addWidget(operationBox);
    layout->addWidget(new QLabel(tr("с даты")));
    layout->addWidget(sinceEdit);
    return row;
}

QWidget *JournalWindow::makeButtons()
{
    auto *row = new QWidget;
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    auto button = [layout](const QString &text, const char *name) {
        auto *b = new QPushButton(text);
        b->setObjectName(QLatin1String(name));
        layout->addWidget(b);
        return b;
    };
    connect(button(tr("Обновить"), "bReload"), &QPushButton::clicked, this, &JournalWindow::reload);
    connect(button(tr("Экспорт CSV…"), "bExport"), &QPushButton::clicked, this,
            &JournalWindow::exportCsv);
    layout->addStretch(1);
    openButton = button(tr("Открыть"), "bOpen");
    restoreButton = button(tr("Восстановить…"), "bRestore");
    connect(openButton, &QPushButton::clicked, this, [this] { fetch(Pending::Open); });
    connect(restoreButton, &QPushButton::clicked, this, [this] {
        const StoredRecord *s = selected();
        if (s
            && actions.ask(tr("Записать в контроллер ") + s->record.serial
                           + tr(" конфигурацию из журнала операций?")))
            fetch(Pending::Restore);
    });
    selectionChanged();
    return row;
}

void JournalWindow::reload()
{
    showStatus(tr("Загрузка журнала операций…"), false);
    historyTicket = query.requestHistory({});
}

void JournalWindow::loaded(int ticket, const QList<StoredRecord> &records)
{
    if (ticket != historyTicket)
        return;
    table->setRecords(records);
    showStatus(tr("Записей: %1").arg(records.size()), false);
}

void JournalWindow::queryFailed(int ticket, const QString &error)
{
    if (ticket == recordTicket)
        pending = Pending::None;
    if (ticket == historyTicket || ticket == recordTicket)
        showStatus(tr("Журнал операций недоступен: ") + error, true);
}

const StoredRecord *JournalWindow::selected() const
{
    const QModelIndexList rows = view->selectionModel()->selectedRows();
    return rows.isEmpty() ? nullptr : filter->recordAt(rows.first());
}

void JournalWindow::selectionChanged()
{
    if (!openButton)
        return;
    const StoredRecord *s = selected();
    const bool image = s && hasRecordImage(*s);
    openButton->setEnabled(image);
    restoreButton->setEnabled(image);
}

void JournalWindow::fetch(Pending what)
{
    const StoredRecord *s = selected();
    if (!s || !hasRecordImage(*s))
        return;
    pending = what;
    recordTicket = query.requestRecord(s->record.id);
}

void JournalWindow::recordLoaded(int ticket, const StoredRecord &record)
{
    if (ticket != recordTicket || pending == Pending::None)
        return;
    const Pending what = std::exchange(pending, Pending::None);
    const QString source = RecordPrefix + record.record.id.toString(QUuid::WithoutBraces);
    const QByteArray image = recordImage(record);
    if (what == Pending::Open) {
        actions.open(image, source);
        return;
    }
    const QString refusal = actions.restore(image, record.record.serial, source);
    if (!refusal.isEmpty())
        showStatus(refusal, true);
}

void JournalWindow::exportCsv()
{
    ViewExport::run(this, nullptr, [this] { return recordsToCsv(filter->shownRecords()); });
}

void JournalWindow::showStatus(const QString &text, bool logged)
{
    status->setText(text);
    if (logged && actions.log)
        actions.log(text);
}
