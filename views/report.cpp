#include "views/report.h"

#include "device/tthread.h"
#include "views/models/acquisitionformat.h"
#include "views/models/exportformat.h"
#include "views/viewexport.h"

Report::Report(QWidget *parent, TThread *t, bool connected)
    : SubWindow(nullptr)
    , thread(t)
{
    Q_UNUSED(parent);
    setAttribute(Qt::WA_DeleteOnClose);
    ui.setupUi(this);
    // Every tab in view, in either language: the window is as wide as its tabs ask.
    ui.tabWidget->setUsesScrollButtons(false);
    timer = new QTimer(this);
    ui.bTest->setEnabled(connected);
    connect(ui.bReset, &QPushButton::clicked, this, &Report::Default);
    connect(ui.bClose, &QPushButton::clicked, this, &Report::Quit);
    connect(ui.bTest, &QPushButton::toggled, this, &Report::Test);
    connect(thread, &TThread::reportRdy, this, &Report::SetData);
    connect(thread, &TThread::conn, this, &Report::Conn);
    connect(ui.exportButton, &QPushButton::clicked, this, &Report::exportRecord);
}

Report::~Report()
{
    disconnect(thread, &TThread::reportRdy, this, &Report::SetData);
}

void Report::Quit()
{
    timer->stop();
    requestClose(false);
}

void Report::Default()
{
    // The reset job sends code 12 and then asks for a record; a plain request follows.
    thread->reqReport(false);
    thread->reqReport(true);
}

void Report::Test(bool on)
{
    const bool wasRunning = timer->isActive();
    timer->stop();
    if (on) {
        connect(timer, &QTimer::timeout, this, &Report::TestStt, Qt::UniqueConnection);
        timer->start(1000);
        ui.bTest->setText(tr("Cтоп"));
        if (!wasRunning)
            Q_EMIT logLine(tr("Статистика запущена"));
    } else {
        if (wasRunning)
            Q_EMIT logLine(tr("Статистика остановлена"));
        disconnect(timer, &QTimer::timeout, this, &Report::TestStt);
        const QSignalBlocker block(ui.bTest);
        ui.bTest->setChecked(false);
        ui.bTest->setText(tr("Cтарт"));
    }
}

void Report::TestStt()
{
    thread->reqReport(true);
}

void Report::Conn(bool on)
{
    ui.bTest->setChecked(false);
    if (!on)
        Test(false);
    ui.bTest->setEnabled(on);
}

void Report::SetData(TReport *rep)
{
    // The signal only says that a record is there; it is read under the record's lock, which
    // the worker also takes to fill it.
    ReportLock lock(thread->reportRecord());
    Q_ASSERT(rep == &*lock);
    Q_UNUSED(rep);
    for (const auto &[name, text] : reportformat::texts(*lock))
        if (auto *label = findChild<QLabel *>(name))
            label->setText(text);
    const reportformat::Bars b = reportformat::bars(*lock);
    ui.barDsp->setValue(b.dsp);
    ui.barWinLoad->setMaximum(b.winMax);
    ui.barWinLoad->setValue(b.winValue);
    ui.barTxLoad->setValue(b.txLoad);
    ui.barRxLoad->setValue(b.rxLoad);
}

void Report::exportRecord()
{
    // The window keeps no copy of the record: the values are taken as its widgets show them.
    ViewExport::run(this, nullptr, [this] {
        QList<std::pair<QString, QString>> fields;
        for (const auto &[name, text] : reportformat::texts(TReport {}))
            if (const auto *label = findChild<QLabel *>(name))
                fields.append({name, label->text()});
        for (const QProgressBar *bar : {ui.barDsp, ui.barWinLoad, ui.barTxLoad, ui.barRxLoad})
            fields.append({bar->objectName(), QString::number(bar->value())});
        fields.append(
            {QStringLiteral("barWinLoad.maximum"), QString::number(ui.barWinLoad->maximum())});
        return exportformat::fieldsCsv(fields);
    });
}

bool Report::busy() const
{
    return timer->isActive();
}
