#pragma once
// "Журнал на сервере": the URL of the PostgreSQL server that keeps the operation records besides
// the station's own database, or nothing for the station only. A URL that is not one, or that
// carries a password, is refused in the dialog itself with the reason (the password's place
// included); a status line says when --records or K330_RECORDS names a server instead.

#include <QDialog>

class QLabel;
class QLineEdit;

class RecordsSettingsDialog : public QDialog
{
    Q_OBJECT

public:
    // url: the setting now; overrideUrl: the server that the command line or the environment
    // names instead of the setting (empty: none).
    RecordsSettingsDialog(QWidget *parent, const QString &url, const QString &overrideUrl);

    // The accepted setting: a server's URL, empty for the station only.
    QString url() const;

private:
    // "OK": accepts a URL that is one (or none), else shows why not and stays open.
    void check();

    QLineEdit *urlEdit;
    QLabel *problem;
};
