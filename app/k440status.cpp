// What the main window shows of its state beside the windows: the permanent connection field
// of the status bar, the hint of the empty area, and the program log's own menu.

#include "app/clogedit.h"
#include "app/connectionstatus.h"
#include "app/k440.h"
#include "app/prompter.h"
#include "app/shellarea.h"
#include "device/tthread.h"

#include <QAction>
#include <QMenu>
#include <QSaveFile>
#include <QStatusBar>

void K440::createStatusParts()
{
    connStatus = new ConnectionStatus(statusBar());
    statusBar()->addPermanentWidget(connStatus);
    connStatus->setMode(session.mode());
    connect(thread, &TThread::conn, connStatus, &ConnectionStatus::setConnected);
    // The identification points into the read's record, which lives until every signal
    // posted before the record's hand-over has been delivered: it is copied at once.
    connect(thread, &TThread::readDev, connStatus, [this](TDev *dev) {
        if (dev)
            connStatus->setController(*dev);
    });
    connect(thread, &TThread::loadStt, connStatus, &ConnectionStatus::setModel);

    if (auto *area = qobject_cast<ShellArea *>(mdiArea))
        area->setHint(startHint());

    auto *saveLogAct = new QAction(tr("&Сохранить лог…"), logEdit);
    saveLogAct->setObjectName(QStringLiteral("saveLogAct"));
    connect(saveLogAct, &QAction::triggered, this, &K440::saveLog);
    auto *clearLogAct = new QAction(tr("&Очистить лог"), logEdit);
    clearLogAct->setObjectName(QStringLiteral("clearLogAct"));
    connect(clearLogAct, &QAction::triggered, logEdit, &QPlainTextEdit::clear);
    logEdit->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(logEdit, &QWidget::customContextMenuRequested, this,
            [this, saveLogAct, clearLogAct](const QPoint &pos) {
                QMenu *menu = logEdit->createStandardContextMenu(pos);
                menu->setAttribute(Qt::WA_DeleteOnClose);
                menu->addSeparator();
                menu->addAction(saveLogAct);
                menu->addAction(clearLogAct);
                menu->popup(logEdit->viewport()->mapToGlobal(pos));
            });
}

QString K440::startHint() const
{
    const auto line = [](const QString &what, const QAction *act) {
        const QString key = act->shortcut().toString(QKeySequence::NativeText);
        return key.isEmpty() ? what : what + QStringLiteral(": ") + key;
    };
    QStringList lines {tr("Конфигурация не открыта."), QString()};
    lines << line(tr("Создать новую конфигурацию"), newAct)
          << line(tr("Открыть файл конфигурации"), openAct)
          << line(tr("Прочитать конфигурацию из контроллера"), readAct);
    return lines.join(QLatin1Char('\n'));
}

void K440::saveLog()
{
    const QString name = prompter->getSaveFileName(this, tr("Сохранить лог"),
                                                   tr("Текстовые файлы (*.txt);;Все файлы (*.*)"));
    if (name.isEmpty())
        return;
    QSaveFile file(name);
    const QByteArray bytes = logEdit->toPlainText().toUtf8();
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)
        || file.write(bytes) != bytes.size() || !file.commit())
        warn(tr("Файл ") + name + tr(" не удалось записать."));
}
