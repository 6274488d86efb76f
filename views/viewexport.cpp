#include "views/viewexport.h"

#include "views/models/exportformat.h"

#include <QBuffer>
#include <QFileDialog>
#include <QFileInfo>
#include <QImage>
#include <QMessageBox>
#include <QPointer>

bool ViewExport::run(QWidget *window, QWidget *picture, const std::function<QByteArray()> &csv)
{
    const QString pngFilter = tr("Изображение PNG (*.png)");
    const QString csvFilter = tr("Таблица CSV (*.csv)");
    QString filter = picture ? pngFilter : csvFilter;
    const QPointer<QWidget> guard(window);
    QString name = QFileDialog::getSaveFileName(
        window, tr("Экспорт"), QString(),
        picture ? pngFilter + QStringLiteral(";;") + csvFilter : csvFilter, &filter);
    // The dialog runs its own event loop: the window may have gone meanwhile.
    if (name.isEmpty() || !guard)
        return false;
    const bool asCsv = !picture || filter == csvFilter;
    if (QFileInfo(name).suffix().isEmpty())
        name += asCsv ? QStringLiteral(".csv") : QStringLiteral(".png");

    QByteArray bytes;
    if (asCsv) {
        bytes = csv();
    } else {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        picture->grab().toImage().save(&buffer, "PNG");
    }
    switch (exportformat::saveFile(name, bytes)) {
    case exportformat::SaveResult::Ok:
        return true;
    case exportformat::SaveResult::OpenFailed:
        QMessageBox::warning(window, window->windowTitle(),
                             tr("Файл ") + name + tr(" не удалось открыть."));
        return false;
    case exportformat::SaveResult::WriteFailed:
        QMessageBox::warning(window, window->windowTitle(),
                             tr("Файл ") + name + tr(" не удалось записать."));
        return false;
    }
    return false;
}
