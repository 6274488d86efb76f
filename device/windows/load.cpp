#include "device/windows/load.h"

#include "device/tthread.h"

#include <QFileInfo>
#include <QProgressBar>

Load::Load(TThread *thread, const QByteArray &firmware, QWidget *parent,
           const OperationJournal &journal)
    : ProgressWindow(thread, int(firmware.size()), {1000, 5000, 5000}, parent)
    , operation(drive<LoadOperation>(firmware.size()))
{
    take(&TThread::loadStt, [op = &operation](quint16 type) { op->started(type); });
    takeReadBack(operation,
                 {&TThread::loadChk, &TThread::loadStp, &TThread::loadErr, &TThread::loadCnt,
                  &TThread::loadDev, &TThread::loadDif});
    record(operation, journal, {.fileSha256 = sha256Hex(firmware)});
    // Closed before the load has ended, the window leaves the job running: the log says so, and
    // the worker logs its end as usual.
    whenLeaving(tr("Окно загрузки ПО закрыто, загрузка ПО продолжается"));
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
    operation.completed();
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
