#include "views/trace.h"

#include "config/records.h"
#include "device/tthread.h"
#include "views/models/acquisitionformat.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QTime>

#include <algorithm>
#include <iterator>

Trace::Trace(QWidget *parent, TThread *t, bool connected)
    : SubWindow(parent)
    , thread(t)
    , traceStream(&traceFile)
{
    setAttribute(Qt::WA_DeleteOnClose);
    ui.setupUi(this);
    ui.bRun->setEnabled(connected);
    ui.boxCh->setEnabled(connected);
    ui.boxOpt->setEnabled(connected);
    connect(ui.bReset, &QPushButton::clicked, this, &Trace::Clear);
    connect(ui.bClose, &QPushButton::clicked, this, &Trace::Quit);
    connect(ui.bRun, &QPushButton::toggled, this, &Trace::Run);
    connect(ui.chkRxB, &QCheckBox::toggled, this, &Trace::ChkRxB);
    connect(ui.chkTxB, &QCheckBox::toggled, this, &Trace::ChkTxB);
    connect(ui.chkRxL, &QCheckBox::toggled, this, &Trace::ChkRxL);
    connect(ui.chkTxL, &QCheckBox::toggled, this, &Trace::ChkTxL);
    connect(thread, &TThread::conn, this, &Trace::Conn);
    connect(thread, &TThread::traceRdy, this, &Trace::Data);
}

Trace::~Trace()
{
    if (ui.bRun->isChecked())
        thread->reqTraceMode(0);
    if (!traceFile.fileName().isEmpty())
        traceFile.close();
}

void Trace::Clear()
{
    ui.textLog->clear();
}

void Trace::Quit()
{
    requestClose(false);
}

void Trace::Conn(bool on)
{
    ui.bRun->setChecked(false);
    ui.bRun->setEnabled(on);
}

void Trace::Run(bool on)
{
    if (on) {
        ui.boxCh->setEnabled(false);
        ui.chkFile->setEnabled(false);
        if (ui.chkFile->isChecked()) {
            const QString name =
                QFileDialog::getSaveFileName(this, tr("Сохранить файл"), QString(),
                                             tr("файл трассировки (*.log);;Все файлы (*.*)"));
            // The dialog runs its own event loop: a lost connection may have stopped the
            // capture meanwhile (Conn unchecks the button). Then there is nothing to start,
            // and the chosen file is not opened.
            if (!ui.bRun->isChecked())
                return;
            if (!name.isEmpty()) {
                if (!traceFile.fileName().isEmpty())
                    traceFile.close();
                traceFile.setFileName(name);
                if (!traceFile.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text)) {
                    QMessageBox::warning(this, windowTitle(),
                                         tr("Файл ") + name + tr(" не удалось открыть."));
                    traceFile.setFileName(QString());
                }
                traceStream.resetStatus();
            }
        }
        if (!traceFile.fileName().isEmpty())
            insertLine(tr("Файл трассировки ") + traceFile.fileName() + tr(" открыт."));
        thread->reqTraceMode(chanMask);
        thread->reqTrace();
        ui.bRun->setText(tr("Cтоп"));
        Q_EMIT logLine(tr("Трассировка запущена"));
    } else {
        thread->reqTraceMode(0);
        ui.bRun->setText(tr("Cтарт"));
        Q_EMIT logLine(tr("Трассировка остановлена"));
        ui.chkFile->setEnabled(true);
        ui.boxCh->setEnabled(true);
        if (!traceFile.fileName().isEmpty()) {
            insertLine(tr("Файл трассировки ") + traceFile.fileName() + tr(" закрыт."));
            closeFile();
        }
    }
}

void Trace::ChkRxB(bool on)
{
    setBit(1, on);
}

void Trace::ChkTxB(bool on)
{
    setBit(2, on);
}

void Trace::ChkRxL(bool on)
{
    setBit(4, on);
}

void Trace::ChkTxL(bool on)
{
    setBit(8, on);
}

void Trace::setBit(quint16 bit, bool on)
{
    chanMask = on ? chanMask | bit : chanMask & ~bit;
}

void Trace::Data(quint16 *data)
{
    // Not capturing: no further read is asked for, so the chain ends here.
    if (!ui.bRun->isChecked())
        return;
    // The reply the signal points to, copied under the record's lock: the worker may store the
    // next one meanwhile.
    TTrace reply;
    {
        TraceLock lock(thread->traceRecord());
        std::copy_n(data, std::size(reply.w), reply.w);
    }
    data = reply.w;
    const int n = traceformat::capturedBytes(data);
    if (n > 0) {
        ui.textLog->moveCursor(QTextCursor::Start);
        const quint16 channel = data[1];
        const QString line = traceformat::line(QTime::currentTime(), channel,
                                               reinterpret_cast<const uchar *>(data) + 4, n);
        if (traceformat::isChannel(channel)) {
            if (!traceFile.fileName().isEmpty())
                writeLine(line);
            if (ui.chkDisplay->isChecked())
                insertLine(line);
        } else {
            // Channel errors are shown whatever the display option says, and never saved.
            insertLine(line);
        }
    }
    thread->reqTrace();
}

void Trace::insertLine(const QString &line)
{
    ui.textLog->insertPlainText(line + QStringLiteral("\r"));
}

void Trace::writeLine(const QString &line)
{
    traceStream << line << '\n';
    traceStream.flush();
    if (traceStream.status() == QTextStream::Ok && traceFile.error() == QFileDevice::NoError)
        return;
    // A full disk or a removed medium: say so once and go on without the file.
    const QString name = traceFile.fileName();
    closeFile();
    insertLine(tr("Файл трассировки ") + name + tr(" закрыт: ошибка записи."));
    auto *box =
        new QMessageBox(QMessageBox::Warning, windowTitle(),
                        tr("Файл ") + name + tr(" не удалось записать."), QMessageBox::Ok, this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

void Trace::closeFile()
{
    traceStream.flush();
    traceFile.close();
    traceFile.setFileName(QString());
    traceStream.resetStatus();
}

bool Trace::busy() const
{
    return ui.bRun->isChecked();
}
