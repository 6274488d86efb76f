#pragma once
// The parts of a progress window (read, write, firmware load) that tests look at, found by
// object name: the label, the one button, the progress bar and the self-closing timer.

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QWidget>

namespace progress {

inline QString label(QWidget *w)
{
    return w->findChild<QLabel *>(QStringLiteral("label"))->text();
}
inline QPushButton *button(QWidget *w)
{
    return w->findChild<QPushButton *>(QStringLiteral("bClose"));
}
inline QProgressBar *bar(QWidget *w)
{
    return w->findChild<QProgressBar *>(QStringLiteral("progressBar"));
}
inline QTimer *closeTimer(QWidget *w)
{
    return w->findChild<QTimer *>(QString(), Qt::FindDirectChildrenOnly);
}

} // namespace progress
