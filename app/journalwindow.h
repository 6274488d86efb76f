#pragma once
// "Журнал операций": the operation records newest first, filtered by serial, operation and
// start date, sortable by any column; the rows shown exported as CSV; a record's configuration
// opened as a document or written back to its unit. The records are queried through the main
// window's RecordQuery, in its thread; the window shows "loading" meanwhile and never waits for
// the database, not even when it closes during a query.

#include "records/recordquery.h"

#include <QWidget>

#include <functional>

class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;
class RecordFilterModel;
class RecordTableModel;

// What the window asks of the main window.
struct JournalActions
{
    // Opens the image as a document; `source` names it ("record:UUID").
    std::function<void(const QByteArray &image, const QString &source)> open;
    // Writes the image to the unit `serial`; returns why it cannot, or an empty text.
    std::function<QString(const QByteArray &image, const QString &serial, const QString &source)>
        restore;
    // The question before a restore; true for yes.
    std::function<bool(const QString &text)> ask;
    std::function<void(const QString &line)> log;
};

class JournalWindow : public QWidget
{
    Q_OBJECT
public:
    // query: outlives the window (the main window's).
    JournalWindow(RecordQuery &query, JournalActions actions, QWidget *parent = nullptr);

    // Queries the records again.
    void reload();
    // The selected record, or nullptr.
    const StoredRecord *selected() const;

private:
    enum class Pending { None, Open, Restore };

    QWidget *makeFilters();
    QWidget *makeButtons();
    void loaded(int ticket, const QList<StoredRecord> &records);
    void recordLoaded(int ticket, const StoredRecord &record);
    void queryFailed(int ticket, const QString &error);
    void selectionChanged();
    void exportCsv();
    void fetch(Pending what);
    void showStatus(const QString &text, bool logged);

    JournalActions actions;
    RecordQuery &query;
    RecordTableModel *table;
    RecordFilterModel *filter;
    QLineEdit *serialEdit = nullptr;
    QComboBox *operationBox = nullptr;
    QDateEdit *sinceEdit = nullptr;
    QTableView *view;
    QLabel *status;
    QPushButton *openButton = nullptr;
    QPushButton *restoreButton = nullptr;
    int historyTicket = 0; // the history request whose answer is shown
    int recordTicket = 0; // the record request for `pending`
    Pending pending = Pending::None;
};
