// Configuration file slots of the main window: new configuration, open, save, close.

#include "app/k440.h"
#include "app/prompter.h"
#include "config/configfile.h"
#include "config/defaultimage.h"
#include "config/dialogs/createcfg.h"
#include "config/image.h"

#include <QAction>
#include <QStatusBar>

namespace {
const int StatusTimeout = 2000;
} // namespace

QString K440::configFileFilter()
{
    return tr("файл конфигурации (*.mcd);;Все файлы (*.*)");
}

void K440::create()
{
    if (!askToClose())
        return;

    // The dialog deletes itself when it closes, so its choice is taken by signal.
    auto *dialog = new CreateCfg(this);
    int index = -1;
    const QMetaObject::Connection chosen =
        connect(dialog, &CreateCfg::modelChosen, this, [&index](int i) { index = i; });
    const int result = prompter->execDialog(dialog);
    disconnect(chosen);
    if (result != QDialog::Accepted)
        return;

    const quint16 model = index == 1 ? TK440::ModelRB : TK440::ModelRA;
    const QString name = index == 1 ? tr("K-330RB") : tr("K-330RA");

    auto fresh = std::make_unique<TK440>();
    makeDefaultImage(*fresh, model);
    doc.setImage(std::move(fresh));
    // The defaults can be made again at any time: nothing to lose yet.
    doc.markSaved();

    buildTree(session.mode());
    Q_EMIT mes(tr("Создана новая конфигурация контроллера ") + name);
}

void K440::open()
{
    if (!askToClose())
        return;
    const QString name = prompter->getOpenFileName(this, tr("Открыть файл"), configFileFilter());
    if (name.isEmpty())
        return;
    doc.setFile(name);
    loadFile();
}

void K440::openRecentFile()
{
    if (!askToClose())
        return;
    const auto *action = qobject_cast<const QAction *>(sender());
    const QString name = action ? action->data().toString() : QString();
    if (name.isEmpty())
        return;
    doc.setFile(name);
    loadFile();
}

void K440::save()
{
    if (!doc.file())
        saveAs();
    else
        saveFile();
}

void K440::saveAs()
{
    const QString name = prompter->getSaveFileName(this, tr("Сохранить файл"), configFileFilter());
    if (name.isEmpty())
        return;
    doc.setFile(name);
    saveFile();
}

void K440::shut()
{
    keepUnsaved();
    doc.forgetFile();
    // A read in progress is the configuration being opened: closing drops it too.
    if (session.hasConfiguration())
        closeImage();
}

bool K440::loadFile()
{
    if (!doc.file())
        return false;
    const QString n = doc.file()->fileName();

    auto loaded = std::make_unique<TK440>();
    const ConfigReadResult read = readConfigFile(n, *loaded);
    // Beside the warning, the log keeps why the file cannot be used (written to the log, not
    // announced as a message of the session).
    const QString defect = configFileDefect(n, doc.checksum(), read, *loaded);
    switch (read) {
    case ConfigReadResult::OpenFailed:
        warn(tr("Файл ") + n + tr(" не удалось открыть."));
        return false;
    case ConfigReadResult::WrongSize:
        log(defect);
        warn(tr("Файл ") + n + tr(" не соответсвует типу контроллера."));
        return false;
    case ConfigReadResult::ShortRead:
        warn(tr("Файл ") + n + tr(" не удалось прочитать."));
        return false;
    case ConfigReadResult::Ok:
        break;
    }

    // The file is taken note of before its contents are judged.
    setCurrentFile(n);
    statusBar()->showMessage(tr("Файл открыт"), StatusTimeout);

    if (!imageChecksumValid(doc.checksum(), *loaded)) {
        log(defect);
        warn(tr("Файл ") + n + tr(" поврежден."));
        return false;
    }
    if (!defect.isEmpty())
        Q_EMIT mes(defect);

    doc.setImage(std::move(loaded));
    doc.markSaved();
    Q_EMIT mes(tr("Загружена конфигурация из файла: ") + n + QStringLiteral(" (")
               + QString::number(TK440::Size) + tr(" байт)"));
    buildTree(session.mode());
    return doc.image() != nullptr;
}

bool K440::saveFile()
{
    if (!doc.file() || !doc.image())
        return false;
    const QString n = doc.file()->fileName();

    switch (writeConfigFile(n, doc.checksum(), *doc.image())) {
    case ConfigWriteResult::OpenFailed:
        warn(tr("Файл ") + n + tr(" не удалось открыть."));
        return false;
    case ConfigWriteResult::WriteFailed:
        warn(tr("Файл ") + n + tr(" не удалось записать."));
        return false;
    case ConfigWriteResult::Ok:
        break;
    }

    doc.markSaved();
    updateTitle();
    setCurrentFile(n);
    statusBar()->showMessage(tr("Файл сохранен"), StatusTimeout);
    Q_EMIT mes(tr("Конфигурация контроллера ") + modelName(doc.image()->model())
               + QStringLiteral("(") + QString::number(TK440::Size) + tr(" байт)")
               + tr(" записана в файл: ") + n);
    return true;
}
