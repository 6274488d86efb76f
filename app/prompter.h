#pragma once
// The few questions the main window asks the user, behind one interface so that tests can
// answer them without modal dialogs.

#include <QString>

class QDialog;
class QWidget;

class Prompter
{
public:
    virtual ~Prompter();

    // Question box with the buttons "&Да" (default) and "&Нет" (Escape); true for "&Да".
    virtual bool askYesNo(QWidget *parent, const QString &title, const QString &text);
    // Warning box with a single OK button.
    virtual void warn(QWidget *parent, const QString &title, const QString &text);
    // File dialogs without a start directory; an empty text when cancelled.
    virtual QString getOpenFileName(QWidget *parent, const QString &caption, const QString &filter);
    virtual QString getSaveFileName(QWidget *parent, const QString &caption, const QString &filter);
    // Runs a modal dialog and returns its result (QDialog::Accepted or Rejected).
    virtual int execDialog(QDialog *dialog);
};
