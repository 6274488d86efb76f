#include "device/windows/load.h"

#include "device/tthread.h"

#include <QCloseEvent>
#include <QFileInfo>
#include <QProgressBar>

Load::Load(TThread *thread, const QByteArray &firmware, QWidget *parent,
           const OperationJournal &journal)
    : ProgressWindow(thread, int(firmware.size()), {1000, 5000, 5000}, parent)
    , operation(*this, firmware.size())
{
    drive(operation);
    take(&TThread::loadStt, &Load::Start);
    take(&TThread::loadChk, &Load::Check);
    take(&TThread::loadStp, &Load::Stop);
    take(&TThread::loadErr, &Load::Error);
    take(&TThread::loadCnt, &Load::Progress);
    take(&TThread::loadDev, &Load::Device);
    take(&TThread::loadDif, &Load::Checked);
    record(operation, journal, {.fileSha256 = sha256Hex(firmware)});
    follow(thread->reqLoad(firmware.constData(), uint(firmware.size())));
}

void Load::Start(quint16 type)
{
    operation.started(type);
}

void Load::Check()
{
    operation.verifying();
}

void Load::Stop()
{
    showCompleted(operation);
}

void Load::Error()
{
    operation.failed();
}

void Load::Device(TDev dev)
{
    operation.identified(dev);
}

void Load::Checked(int differing)
{
    operation.checked(differing);
}

void Load::showFile(const QString &fileName, qsizetype size)
{
    auto *bar = findChild<QProgressBar *>(QStringLiteral("progressBar"));
    if (!bar || fileName.isEmpty())
        return;
    // The bar's format reads "%" sequences: a file name keeps none of its own.
    QString name = QFileInfo(fileName).fileName();
    name.replace(QLatin1Char('%'), QLatin1Char('_'));
    const QString text = tr("%1 (%2 байт)").arg(name, QString::number(size));
    bar->setFormat(bar->fontMetrics().elidedText(text, Qt::ElideMiddle, bar->width() * 3 / 4)
                   + QStringLiteral(": %p%"));
    setToolTip(tr("Файл ПО ") + fileName + QStringLiteral(" (") + QString::number(size)
               + tr(" байт)"));
}

void Load::closeEvent(QCloseEvent *event)
{
    if (!operation.isFinished() && !reportedRunning) {
        reportedRunning = true;
        Q_EMIT logLine(tr("Окно загрузки ПО закрыто, загрузка ПО продолжается"));
    }
    ProgressWindow::closeEvent(event);
}
