#include "config/dialogs/createcfg.h"

CreateCfg::CreateCfg(QWidget *parent)
    : QDialog(parent)
{
    setAttribute(Qt::WA_DeleteOnClose);
    ui.setupUi(this);
    ui.boxModel->addItem(tr("K-330RA"));
    ui.boxModel->addItem(tr("K-330RB"));
    ui.boxModel->setCurrentIndex(0);
    connect(ui.bClose, &QPushButton::clicked, this, &CreateCfg::Quit);
    connect(ui.bSet, &QPushButton::clicked, this, &CreateCfg::Set);
}

void CreateCfg::Quit()
{
    reject();
}

void CreateCfg::Set()
{
    chosen = ui.boxModel->currentIndex();
    Q_EMIT modelChosen(chosen);
    accept();
}
