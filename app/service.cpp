#include "app/service.h"

#include <iterator>

namespace {
struct AccessCode
{
    const char *code;
    int mode;
};

// Compared in this order; the first match wins.
const AccessCode accessCodes[] = {
    {"Amber_Cobalts", 3}, {"Opal_Cobalts", 1},    {"Jade_Cobalts", 2},  {"Topaz_Cobalts", 4},
    {"Coral_Cobalts", 5}, {"Peridot_Cobalts", 6}, {"Ruby_Cobalts", 10},
};
} // namespace

Service::Service(QWidget *parent)
    : QDialog(parent)
{
    setAttribute(Qt::WA_DeleteOnClose);
    ui.setupUi(this);
    connect(ui.bSet, &QPushButton::clicked, this, &Service::Set);
    connect(ui.bClose, &QPushButton::clicked, this, &Service::Quit);
}

int Service::modeForCode(const QString &code)
{
    for (const AccessCode &c : accessCodes) {
        if (code == QLatin1String(c.code))
            return c.mode;
    }
    return 0;
}

void Service::Quit()
{
    reject();
}

void Service::Set()
{
    chosen = modeForCode(ui.eCode->text());
    if (chosen != 0) {
        Q_EMIT modeChosen(chosen);
        accept();
    } else
        reject();
}
