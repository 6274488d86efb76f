#include "app/windowregistry.h"

#include <QHash>

namespace {
QHash<QString, WindowFactory> &factories()
{
    static QHash<QString, WindowFactory> map;
    return map;
}
} // namespace

void WindowRegistry::add(const QString &title, WindowFactory factory)
{
    factories().insert(title, std::move(factory));
}

bool WindowRegistry::contains(const QString &title)
{
    return factories().contains(title);
}

QWidget *WindowRegistry::create(const QString &title, const WindowContext &ctx)
{
    const auto it = factories().constFind(title);
    return it == factories().constEnd() ? nullptr : (*it)(ctx);
}
