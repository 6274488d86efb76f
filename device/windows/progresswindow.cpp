#include "device/windows/progresswindow.h"

#include "device/tthread.h"

#include <QTimer>

ProgressWindow::ProgressWindow(TThread *thread, int progressMax, CloseTimes closeTimes,
                               QWidget *parent)
    : SubWindow(parent)
    , thread(thread)
    , timer(new QTimer(this))
    , closeTimes(closeTimes)
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

void ProgressWindow::stage(const QString &text, int)
{
    // The bar's range is the operation's count from the start.
    ui.label->setText(text);
}

void ProgressWindow::progress(quint32 count)
{
    ui.progressBar->setValue(int(count));
}

void ProgressWindow::finished(const OperationResult &result)
{
    int closeAfterMs = closeTimes.failed;
    switch (result.outcome) {
    case OperationOutcome::Done:
    case OperationOutcome::Differs:
        closeAfterMs = closeTimes.done;
        break;
    case OperationOutcome::Corrupt:
        closeAfterMs = closeTimes.corrupt;
        stopped = true;
        break;
    default:
        stopped = true;
        break;
    }
    if (!result.message.isEmpty())
        ui.label->setText(result.message);
    ui.bClose->setText(tr("Закрыть"));
    timer->start(closeAfterMs);
}

void ProgressWindow::Progress(quint32 num)
{
    if (operation)
        operation->count(num);
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
