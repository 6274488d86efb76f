// What the main window does so that no configuration is lost unnoticed: the title names the
// open file and marks contents no file holds, and such contents are kept in the recovery folder
// whenever the configuration is closed or the program ends, to be opened again from the File
// menu.

#include "app/k440.h"
#include "app/prompter.h"
#include "app/recoverydialog.h"
#include "app/shellarea.h"
#include "config/configfile.h"
#include "config/recovery.h"

#include <QAction>
#include <QFileInfo>

QString K440::appTitle()
{
    return tr("Терминал контроллеров системы К-330С");
}

void K440::updateTitle()
{
    // The placeholder shows the modified mark; with nothing open the title is the program's.
    if (!doc.image())
        setWindowTitle(appTitle());
    else if (doc.file())
        setWindowTitle(QStringLiteral("%1[*] - %2")
                           .arg(QFileInfo(doc.file()->fileName()).fileName(), appTitle()));
    else
        setWindowTitle(appTitle() + QStringLiteral("[*]"));
    setWindowModified(doc.isModified());
    closeAct->setEnabled(session.hasConfiguration());
    if (auto *area = qobject_cast<ShellArea *>(mdiArea))
        area->setHint(doc.image() ? QString() : startHint());
}

void K440::createRecoveryAction()
{
    makeAction(restoreAct, "restoreAct", tr("Восстановить &несохранённые…"),
               tr("Открыть конфигурацию, закрытую без сохранения в файл"));
    connect(restoreAct, &QAction::triggered, this, &K440::restoreUnsaved);
    updateRestoreAction();
}

void K440::updateRestoreAction()
{
    // At most MaxEntries small files: listing them does not keep the window waiting.
    restoreAct->setEnabled(!RecoveryStore().entries().isEmpty());
}

void K440::keepUnsaved()
{
    if (!doc.isModified())
        return;
    RecoveryStore store;
    const QString kept = store.keep(QByteArrayView(doc.image()->data(), TK440::Size),
                                    doc.file() ? doc.file()->fileName() : QString());
    if (kept.isEmpty())
        Q_EMIT mes(tr("Несохранённую конфигурацию не удалось сохранить в папке ") + store.folder());
    else
        Q_EMIT mes(tr("Несохранённая конфигурация сохранена для восстановления: ") + kept);
    updateRestoreAction();
}

void K440::restoreUnsaved()
{
    RecoveryStore store;
    const QList<RecoveryEntry> entries = store.entries();
    // The dialog deletes itself when it closes, so its choice is taken by signal.
    auto *dialog = new RecoveryDialog(this, entries);
    QString id;
    const QMetaObject::Connection chosen =
        connect(dialog, &RecoveryDialog::entryChosen, this, [&id](const QString &e) { id = e; });
    const int result = prompter->execDialog(dialog);
    disconnect(chosen);
    if (result != QDialog::Accepted || id.isEmpty())
        return;

    // Read before the open configuration is closed: keeping that one may drop the oldest entry.
    auto image = std::make_unique<TK440>();
    if (imageFromBytes(store.image(id), *image) != ConfigReadResult::Ok) {
        warn(tr("Файл ") + store.imagePath(id) + tr(" не удалось прочитать."));
        return;
    }
    if (!askToClose())
        return;
    QString fileName;
    for (const RecoveryEntry &e : entries)
        if (e.id == id)
            fileName = e.fileName;
    doc.setImage(std::move(image));
    // The image goes back to its file, still marked as not saved there.
    if (fileName.isEmpty())
        doc.forgetFile();
    else
        doc.setFile(fileName);
    Q_EMIT mes(tr("Восстановлена несохранённая конфигурация: ") + store.imagePath(id));
    buildTree(session.mode());
}
