#include "app/recordssettingsdialog.h"

#include "records/recordsconfig.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// What the status line says of a server named on the command line or in the environment; the
// URL is shown only as the store would name it, so that no password reaches the screen.
QString overrideText(const QString &overrideUrl)
{
    QString error;
    const auto address = RecordsSettings::parseServerUrl(overrideUrl, &error);
    const QString named = address ? RecordsSettings::displayUrl(*address)
                                  : RecordsSettingsDialog::tr("(адрес с ошибкой)");
    return RecordsSettingsDialog::tr("Сейчас журнал ведётся на сервере %1, заданном параметром "
                                     "--records или переменной K330_RECORDS. Эта настройка "
                                     "действует, когда они не заданы.")
        .arg(named);
}

} // namespace

RecordsSettingsDialog::RecordsSettingsDialog(QWidget *parent, const QString &url,
                                             const QString &overrideUrl)
    : QDialog(parent)
    , urlEdit(new QLineEdit(url, this))
    , problem(new QLabel(this))
{
    setObjectName(QStringLiteral("RecordsSettingsDialog"));
    setWindowTitle(tr("Журнал на сервере"));
    auto *layout = new QVBoxLayout(this);
    auto *hint = new QLabel(tr("Адрес сервера PostgreSQL для журнала операций. Пустое поле: "
                               "записи ведутся только на этой станции."),
                            this);
    hint->setWordWrap(true);
    layout->addWidget(hint);
    urlEdit->setObjectName(QStringLiteral("urlEdit"));
    urlEdit->setPlaceholderText(QStringLiteral("postgresql://user@host:port/db"));
    urlEdit->setClearButtonEnabled(true);
    urlEdit->setMinimumWidth(fontMetrics().averageCharWidth() * 48);
    layout->addWidget(urlEdit);
    problem->setObjectName(QStringLiteral("problemLabel"));
    problem->setWordWrap(true);
    problem->setStyleSheet(QStringLiteral("color: #b00000"));
    problem->hide();
    layout->addWidget(problem);
    if (!overrideUrl.isEmpty()) {
        auto *status = new QLabel(overrideText(overrideUrl), this);
        status->setObjectName(QStringLiteral("overrideLabel"));
        status->setWordWrap(true);
        layout->addWidget(status);
    }
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->setObjectName(QStringLiteral("buttonBox"));
    connect(buttons, &QDialogButtonBox::accepted, this, &RecordsSettingsDialog::check);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    // The message goes once the URL is changed.
    connect(urlEdit, &QLineEdit::textEdited, problem, &QLabel::hide);
    layout->addWidget(buttons);
}

QString RecordsSettingsDialog::url() const
{
    return urlEdit->text().trimmed();
}

void RecordsSettingsDialog::check()
{
    QString error;
    if (!url().isEmpty() && !RecordsSettings::parseServerUrl(url(), &error)) {
        problem->setText(error);
        problem->show();
        urlEdit->setFocus();
        return;
    }
    accept();
}
