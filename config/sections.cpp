#include "config/sections.h"

#include "config/windows.h"

#include <cstring>

QList<Section> pageSections(const QString &title)
{
    return isPageName(title) ? findWindow(title)->sectionList() : QList<Section>();
}

bool isPageName(const QString &title)
{
    const WindowRow *row = findWindow(title);
    return row && row->kind == WindowKind::Page;
}

void copySections(const QString &title, const quint8 *from, quint8 *to)
{
    for (const Section &s : pageSections(title))
        std::memcpy(to + s.offset, from + s.offset, size_t(s.length));
}
