#include "device/windows/progresswindow.h"

#include "device/tthread.h"

#include <QCloseEvent>
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
    run = new OperationRun(thread, this, this);
}

void ProgressWindow::takeReadBack(ReadBackOperation &op, const ReadBackSignals &s)
{
    ReadBackOperation *o = &op;
    take(s.check, [o] { o->verifying(); });
    take(s.stop, [o] { o->completed(); });
    take(s.error, [o] { o->failed(); });
    take(s.count, [o](quint32 n) { o->count(n); });
    take(s.device, [o](TDev dev) { o->identified(dev); });
    take(s.checked, [o](int n) { o->checked(n); });
}

void ProgressWindow::showText(const QString &text)
{
    ui.label->setText(text);
}

void ProgressWindow::record(Operation &op, const OperationJournal &journal, RecordContext context)
{
    if (!journal.record)
        return;
    context.fileName = journal.fileName;
    op.recordTo(context, [thread = thread, hook = journal.record](OperationRecord r) {
        r.portPath = thread->portPath();
        hook(r);
    });
}

void ProgressWindow::whenLeaving(const QString &line, std::function<void()> f)
{
    leavingLine = line;
    letGo = std::move(f);
}

void ProgressWindow::leave(bool say)
{
    if (!run || run->isReleased())
        return;
    const Operation *op = run->current();
    if (say && op && !op->isFinished() && !leavingLine.isEmpty())
        Q_EMIT logLine(leavingLine);
    run->release(letGo);
}

void ProgressWindow::closeEvent(QCloseEvent *event)
{
    leave(true);
    SubWindow::closeEvent(event);
}

ProgressWindow::~ProgressWindow()
{
    leave(false);
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
    ended = true;
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
    // A write or load whose read-back differs says it completed (the log has the count).
    if (result.outcome == OperationOutcome::Differs) {
        if (const auto *op = dynamic_cast<const ReadBackOperation *>(run->current()))
            ui.label->setText(op->doneText());
    }
    ui.bClose->setText(tr("Закрыть"));
    timer->start(closeAfterMs);
}

void ProgressWindow::Progress(quint32 num)
{
    if (run && !run->isReleased() && run->current())
        run->current()->count(num);
}

void ProgressWindow::Quit()
{
    timer->stop();
    if (ui.bClose->text() == tr("Отменить")) {
        // The job goes on in the worker; nothing it still delivers reaches this window, which
        // the main window may already have parted from its target image, but the operation
        // still ends with it and makes its record.
        leave(true);
        requestClose(false);
    } else
        requestClose(!stopped);
}
