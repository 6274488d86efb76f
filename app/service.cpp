#include "app/service.h"

#include "config/modes.h"

#include <iterator>

namespace {
struct AccessCode
{
    const char *code;
    OperatingMode mode;
};

// Compared in this order; the first match wins.
const AccessCode accessCodes[] = {
    {"Amber_Cobalts", OperatingMode::ServiceFactory},
    {"Opal_Cobalts", OperatingMode::User},
    {"Jade_Cobalts", OperatingMode::ServiceFirmware},
    {"Topaz_Cobalts", OperatingMode::ServiceModem},
    {"Coral_Cobalts", OperatingMode::ServiceTrace},
    {"Peridot_Cobalts", OperatingMode::ServiceVocoder},
    {"Ruby_Cobalts", OperatingMode::ServiceAll},
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
            return int(c.mode);
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
