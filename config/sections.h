#pragma once
// Which byte ranges of the image each page edits, keyed by the page's window title (the rows of
// config/windows.h hold the ranges).

#include <QList>
#include <QString>

struct Section
{
    int offset;
    int length;
};

// Section ranges copied between the document image and the working copy for the page named
// `title` (the tree item text); empty for any other name, "Информация" included.
QList<Section> pageSections(const QString &title);

// True when `title` names a page that edits sections of the working copy.
bool isPageName(const QString &title);

// Copies the sections of `title` from one 402-byte image to another.
void copySections(const QString &title, const quint8 *from, quint8 *to);
