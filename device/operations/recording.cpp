#include "device/operations/recording.h"

#include "config/crc16.h"
#include "config/image.h"
#include "config/language.h"
#include "config/windows.h"

QList<FieldDifference> writeChanges(const TK440 &present, const TK440 &image, int mode)
{
    const bool withInfo = writeLength(mode) > TK440::ConfigAreaSize;
    const QString infoTitle = windowRow(WindowId::Info).titleText();
    QList<FieldDifference> all;
    {
        const SourceLanguageScope russian;
        all = compareImages(present, image);
    }
    QList<FieldDifference> kept;
    for (const FieldDifference &d : all) {
        if (d.section == infoTitle && !withInfo)
            continue;
        if (d.section == identityTitle() && d.field != QLatin1String("model"))
            continue;
        kept.append(d);
    }
    return kept;
}

QStringList backupLines(const QList<FieldDifference> &changes)
{
    QStringList lines {BackupText::tr("Конфигурация контроллера сохранена в журнале операций "
                                      "перед записью")};
    for (qsizetype i = 0; i < changes.size() && i < MaxChangeLines; ++i) {
        const FieldDifference &d = changes[i];
        lines << QStringLiteral("%1 / %2: %3 | %4")
                     .arg(displayedText(d.section), d.field, displayedText(d.a),
                          displayedText(d.b));
    }
    if (changes.size() > MaxChangeLines)
        lines << BackupText::tr("... и ещё полей: %1").arg(changes.size() - MaxChangeLines);
    return lines;
}

QByteArray backupImage(const QByteArray &wire)
{
    TK440 image;
    if (!fromDeviceForm(Crc16(), QByteArrayView(wire), image).ok)
        return {};
    return QByteArray(image.data(), TK440::Size);
}
