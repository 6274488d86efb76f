#pragma once
// The program log: a read-only plain-text widget 80 pixels high by default.

#include <QPlainTextEdit>

class CLogEdit : public QPlainTextEdit
{
    Q_OBJECT

public:
    explicit CLogEdit(QWidget *parent = nullptr);
    QSize sizeHint() const override;
};
