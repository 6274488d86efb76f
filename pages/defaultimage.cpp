#include "pages/defaultimage.h"

#include "config/image.h"
#include "pages/pageregistry.h"

#include <QStringList>
#include <QWidget>

namespace {
// Pages in the order they write their defaults; the pages that choose their defaults by model
// read the model word set before. Where one page class serves two tree items (one per model),
// either title builds it.
const QList<QStringList> &defaultPages()
{
    static const QList<QStringList> pages = {
        {QStringLiteral("Вход микрофона"), QStringLiteral("Вход приемника")},
        {QStringLiteral("Выход приемника"), QStringLiteral("Выход микрофона")},
        {QStringLiteral("Выход гарнитуры")},
        {QStringLiteral("Выход аксессуарный")},
        {QStringLiteral("Регистратор")},
        {QStringLiteral("Усилитель НЧ")},
        {QStringLiteral("Вокодер")},
        {QStringLiteral("Информация")},
        {QStringLiteral("Кодек")},
        {QStringLiteral("Входной усилитель")},
        {QStringLiteral("Выходной усилитель")},
        {QStringLiteral("Протокол")},
        {QStringLiteral("Соединение")},
    };
    return pages;
}
} // namespace

void makeDefaultImage(TK440 &image, quint16 model, TThread *thread)
{
    registerBuiltinPages();
    initNewImageIdentity(image, model);
    PageContext ctx;
    ctx.thread = thread;
    ctx.work = &image;
    ctx.mode = 0;
    ctx.connected = false;
    for (const QStringList &titles : defaultPages()) {
        for (const QString &title : titles) {
            if (QWidget *page = PageRegistry::create(title, ctx)) {
                delete page;
                break;
            }
        }
    }
}
