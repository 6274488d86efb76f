#include "config/defaultimage.h"

#include "config/image.h"
#include "config/windows.h"

#include <QList>

void makeDefaultImage(TK440 &image, quint16 model, QDate today)
{
    initNewImageIdentity(image, model);
    // Where two windows edit one block (one per model), they share its writer: it runs once.
    // Every block gets its defaults, whether or not the model shows its window.
    QList<DefaultsWriter> done;
    for (const WindowRow &row : windowTable()) {
        if (row.writeDefaults && !done.contains(row.writeDefaults)) {
            row.writeDefaults(image, today);
            done.append(row.writeDefaults);
        }
    }
}
