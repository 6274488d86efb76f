#include "config/widgets/windowregistry.h"

void WindowRegistry::add(WindowId id, WindowRule rule, Factory factory)
{
    map.insert(id, Entry {rule, std::move(factory)});
}

void WindowRegistry::replace(WindowId id, Factory factory)
{
    const auto it = map.find(id);
    if (it != map.end())
        it->factory = std::move(factory);
}

const WindowRegistry::Entry *WindowRegistry::find(WindowId id) const
{
    const auto it = map.constFind(id);
    return it == map.constEnd() ? nullptr : &*it;
}

SubWindow *WindowRegistry::create(WindowId id, const WindowContext &ctx) const
{
    const Entry *entry = find(id);
    SubWindow *w = entry ? entry->factory(ctx) : nullptr;
    if (w)
        w->id = id;
    return w;
}

WindowRegistry &windowRegistry()
{
    static WindowRegistry registry;
    return registry;
}
