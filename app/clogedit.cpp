#include "app/clogedit.h"

CLogEdit::CLogEdit(QWidget *parent)
    : QPlainTextEdit(parent)
{
    setReadOnly(true);
}

QSize CLogEdit::sizeHint() const
{
    return QSize(width(), 80);
}
