#include "device/windows/progresswindow.h"

#include "config/image.h"
#include "device/tthread.h"

#include <QTimer>

ProgressWindow::ProgressWindow(TThread *thread, int progressMax, QWidget *parent)
    : SubWindow(parent)
    , thread(thread)
    , timer(new QTimer(this))
{
    ui.setupUi(this);
    connect(ui.bClose, &QPushButton::clicked, this, &ProgressWindow::Quit);
    connect(timer, &QTimer::timeout, this, &ProgressWindow::Quit);
    ui.progressBar->setRange(0, progressMax);
    ui.progressBar->setValue(0);
    ui.bClose->setText(tr("Отменить"));
    ui.label->setText(tr("Запрос идентификатора устройства"));
    connect(thread, &TThread::jobStarted, this, [this](quint32 id) { inOwnJob = id == jobId; });
    connect(thread, &TThread::jobFinished, this, [this](quint32 id) {
        if (id == jobId)
            inOwnJob = false;
    });
}

void ProgressWindow::follow(quint32 id)
{
    jobId = id;
}

ProgressWindow::~ProgressWindow()
{
    timer->stop();
    disconnect(timer, nullptr, this, nullptr);
    delete timer;
    disconnect(thread, nullptr, this, nullptr);
}

void ProgressWindow::finish(int closeAfterMs)
{
    ui.bClose->setText(tr("Закрыть"));
    timer->start(closeAfterMs);
}

void ProgressWindow::finish(const QString &text, int closeAfterMs)
{
    ui.label->setText(text);
    finish(closeAfterMs);
}

void ProgressWindow::stop(const QString &text, int closeAfterMs)
{
    stopped = true;
    finish(text, closeAfterMs);
}

QString ProgressWindow::configModelText(quint16 model)
{
    switch (model) {
    case TK440::ModelRA:
        return tr("К-330RA");
    case TK440::ModelRB:
        return tr("К-330RB");
    default:
        return QString();
    }
}

void ProgressWindow::Progress(quint32 num)
{
    if (!stopped)
        ui.progressBar->setValue(int(num));
}

void ProgressWindow::Quit()
{
    timer->stop();
    if (ui.bClose->text() == tr("Отменить")) {
        // The job goes on in the worker; nothing it still delivers reaches this window, which
        // the main window may already have parted from its target image.
        cancelled = true;
        requestClose(false);
    } else
        requestClose(!stopped);
}
