#pragma once
// Answers the main window's prompts as a user would: the real message boxes and dialogs open
// and run their own modal loops, and a timer answers them through their buttons. Only the file
// dialogs are replaced (their names come from queues).

#include "app/prompter.h"

#include <QList>
#include <QStringList>

#include <functional>
#include <memory>

class QDialog;
class QTimer;

class ScriptedPrompter : public Prompter
{
public:
    ScriptedPrompter();
    ~ScriptedPrompter() override;

    // Answers of "Закрыть текущее устройство", in order; "&Нет" when the queue is empty.
    QList<bool> yesNo;
    QStringList openNames;
    QStringList saveNames;
    // Drives a dialog inside its modal loop (fills its fields, clicks its buttons). Without it,
    // or when it leaves the dialog open, the dialog is rejected as by Escape.
    std::function<void(QDialog *)> onDialog;

    // What was asked: question texts, warning texts, file-dialog captions with their filters.
    QStringList asked;
    QStringList warnings;
    QStringList fileDialogs;
    // Modal windows that had to be closed because nothing answered them.
    int unanswered = 0;

    bool askYesNo(QWidget *parent, const QString &title, const QString &text) override;
    void warn(QWidget *parent, const QString &title, const QString &text) override;
    QString getOpenFileName(QWidget *parent, const QString &caption,
                            const QString &filter) override;
    QString getSaveFileName(QWidget *parent, const QString &caption,
                            const QString &filter) override;
    int execDialog(QDialog *dialog) override;

    // Windows that ask for a file themselves run a real QFileDialog (the widget one): from now
    // on each that opens modally is answered inside its exec() with the next of saveNames
    // through its own accept (a question about replacing the file is answered "Yes"), or
    // rejected when the queue is empty; its caption and filters go to fileDialogs.
    void answerFileDialogs();

private:
    std::unique_ptr<QTimer> fileWatch;
};
