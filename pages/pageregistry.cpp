#include "pages/pageregistry.h"

#include <QHash>

namespace {
QHash<QString, PageFactory> &factories()
{
    static QHash<QString, PageFactory> map;
    return map;
}
} // namespace

void PageRegistry::add(const QString &title, PageFactory factory)
{
    factories().insert(title, std::move(factory));
}

bool PageRegistry::contains(const QString &title)
{
    return factories().contains(title);
}

QWidget *PageRegistry::create(const QString &title, const PageContext &ctx)
{
    const auto it = factories().constFind(title);
    return it == factories().constEnd() ? nullptr : (*it)(ctx);
}

QStringList PageRegistry::titles()
{
    return factories().keys();
}
