#include "app/recoverydialog.h"

#include "config/image.h"

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

RecoveryDialog::RecoveryDialog(QWidget *parent, const QList<RecoveryEntry> &entries)
    : QDialog(parent)
    , list(new QTreeWidget(this))
{
    setObjectName(QStringLiteral("RecoveryDialog"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(tr("Несохранённые конфигурации"));

    list->setObjectName(QStringLiteral("recoveryList"));
    list->setRootIsDecorated(false);
    list->setHeaderLabels({tr("Время"), tr("Модель"), tr("Файл")});
    for (const RecoveryEntry &e : entries) {
        auto *item = new QTreeWidgetItem(list);
        item->setText(0, QLocale().toString(e.time, QLocale::ShortFormat));
        item->setText(1, modelName(e.model));
        item->setText(2,
                      e.fileName.isEmpty() ? tr("(без файла)") : QFileInfo(e.fileName).fileName());
        item->setToolTip(2, e.fileName);
        item->setData(0, Qt::UserRole, e.id);
    }
    list->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    list->setCurrentItem(list->topLevelItem(0));

    auto *buttons = new QDialogButtonBox(this);
    bOpen = buttons->addButton(tr("&Открыть"), QDialogButtonBox::AcceptRole);
    bOpen->setObjectName(QStringLiteral("bOpen"));
    bOpen->setEnabled(!entries.isEmpty());
    bOpen->setDefault(true);
    QPushButton *bClose = buttons->addButton(tr("&Закрыть"), QDialogButtonBox::RejectRole);
    bClose->setObjectName(QStringLiteral("bClose"));
    connect(bOpen, &QPushButton::clicked, this, &RecoveryDialog::choose);
    connect(bClose, &QPushButton::clicked, this, &QDialog::reject);
    connect(list, &QTreeWidget::itemDoubleClicked, this, &RecoveryDialog::choose);

    auto *layout = new QVBoxLayout(this);
    if (entries.isEmpty())
        layout->addWidget(new QLabel(tr("Несохранённых конфигураций нет."), this));
    layout->addWidget(list);
    layout->addWidget(buttons);
    resize(520, 320);
}

void RecoveryDialog::choose()
{
    const QTreeWidgetItem *item = list->currentItem();
    if (!item)
        return;
    Q_EMIT entryChosen(item->data(0, Qt::UserRole).toString());
    accept();
}
