#include "config/widgets/info.h"

#include "config/infofields.h"
#include "config/modes.h"
#include "config/tk440.h"

#include <QSignalBlocker>
#include <QTextCursor>
#include <QTextDocument>

Info::Info(quint8 *ident, quint8 *info, int mode, QWidget *parent)
    : SubWindow(parent)
    , ident(ident)
    , info(info)
{
    setAttribute(Qt::WA_DeleteOnClose);
    ui.setupUi(this);

    if (OperatingMode(mode) == OperatingMode::DefaultsOnly) {
        setInfoDefaults(info, QDate::currentDate());
        return;
    }

    // Serial number and date are set at the factory: editable only in the service modes
    // that allow it.
    const bool factory = modeAllows(mode, ModeFeature::FactoryInfo);
    ui.eData->setVisible(factory);
    ui.spinNum->setVisible(factory);
    ui.eData->setEnabled(factory);
    ui.spinNum->setEnabled(factory);

    // Shown once the description has refused a character.
    ui.labRefused->hide();

    connect(ui.bClose, &QPushButton::clicked, this, &Info::Quit);
    connect(ui.textEdit, &QTextEdit::textChanged, this, &Info::textChanged);
    connect(ui.spinNum, &QSpinBox::valueChanged, this, &Info::setNumber);
    connect(ui.eData, &QDateEdit::dateChanged, this, &Info::setDate);

    load();
    ui.boxEdit->setChecked(false);
}

void Info::load()
{
    const quint16 model = quint16(ident[0] | (ident[1] << 8));
    switch (model) {
    case TK440::ModelRA:
        ui.sModel->setText(tr("K-330RA"));
        break;
    case TK440::ModelRB:
        ui.sModel->setText(tr("K-330RB"));
        break;
    default:
        ui.sModel->setText(tr("xxxxxxx"));
        break;
    }
    ui.sSoft->setText(versionText(ident));
    ui.sChip->setText(cpuIdText(ident));
    ui.sDie->setText(cpuSerialText(ident));

    const InfoFields f = readInfoFields(info);
    serial = f.serial;
    year = f.year;
    month = f.month;
    day = f.day;
    {
        // The labels show the stored values themselves: a control would clamp a value
        // outside its range, and would not signal a value equal to its initial one.
        const QSignalBlocker blockNum(ui.spinNum);
        const QSignalBlocker blockDate(ui.eData);
        ui.spinNum->setValue(serial);
        const QDate date(year, month, day);
        if (date.isValid())
            ui.eData->setDate(date);
    }
    ui.sNum->setText(serialText(serial));
    ui.sDate->setText(dateText(day, month, year));
    ui.textEdit->setPlainText(decodeDescription(f.desc));
}

void Info::setNumber(int n)
{
    serial = n;
    ui.sNum->setText(serialText(n));
}

void Info::setDate(QDate d)
{
    year = d.year();
    month = d.month();
    day = d.day();
    ui.sDate->setText(dateText(d));
}

void Info::textChanged()
{
    const QString text = descriptionText();
    // A character the description cannot hold would become '?' when the page closes: it is
    // taken out at once, and the page says which, so that nothing changes unseen.
    QString refused;
    const QString limited = limitDescription(storableDescription(text, &refused));
    if (limited.size() == text.size())
        return;
    if (!refused.isEmpty()) {
        ui.labRefused->setText(
            tr("Описание хранится в кодировке Windows-1251, эти знаки не приняты: %1")
                .arg(refused));
        ui.labRefused->show();
    }
    // The cursor stays behind what was typed before it, less what was taken out there.
    const int position = ui.textEdit->textCursor().position();
    const int kept = int(storableDescription(text.left(position)).size());
    ui.textEdit->setPlainText(limited);
    QTextCursor cursor = ui.textEdit->textCursor();
    cursor.setPosition(qMin(kept, int(limited.size())));
    ui.textEdit->setTextCursor(cursor);
}

QString Info::descriptionText() const
{
    // As toPlainText(), but a no-break space stays one: the description holds it as it is.
    QString text = ui.textEdit->document()->toRawText();
    for (QChar &c : text) {
        switch (c.unicode()) {
        case QChar::ParagraphSeparator:
        case QChar::LineSeparator:
        case 0xFDD0: // beginning of a frame
        case 0xFDD1: // end of a frame
            c = QLatin1Char('\n');
            break;
        default:
            break;
        }
    }
    return text;
}

void Info::Quit()
{
    InfoFields f;
    f.serial = serial;
    f.year = year;
    f.month = month;
    f.day = day;
    f.desc = encodeDescription(descriptionText());
    writeInfoFields(info, f);
    requestClose(true);
}
