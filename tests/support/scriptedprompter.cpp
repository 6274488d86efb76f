#include "scriptedprompter.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>

#include <memory>

namespace {
constexpr int PollMs = 5;
constexpr int GiveUpMs = 5000;

// Once the next modal window opens, runs act on it from inside its modal loop. A window that
// act leaves open is closed after a while so that a faulty flow fails instead of hanging.
void answerNextModal(std::function<void(QWidget *)> act, int *unanswered)
{
    auto *poll = new QTimer;
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    QObject::connect(poll, &QTimer::timeout, poll, [poll, clock, act, unanswered] {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal) {
            if (clock->elapsed() > GiveUpMs)
                poll->deleteLater();
            return;
        }
        poll->stop();
        poll->deleteLater();
        QPointer<QWidget> guard(modal);
        act(modal);
        QTimer::singleShot(GiveUpMs, [guard, unanswered] {
            if (auto *d = qobject_cast<QDialog *>(guard.data())) {
                ++*unanswered;
                d->reject();
            }
        });
    });
    poll->start(PollMs);
}

void clickButton(QWidget *modal, const QString &text)
{
    for (QAbstractButton *b : modal->findChildren<QAbstractButton *>()) {
        if (b->text() == text) {
            b->click();
            return;
        }
    }
}
} // namespace

ScriptedPrompter::ScriptedPrompter() = default;
ScriptedPrompter::~ScriptedPrompter() = default;

bool ScriptedPrompter::askYesNo(QWidget *parent, const QString &title, const QString &text)
{
    asked << text;
    const bool yes = yesNo.isEmpty() ? false : yesNo.takeFirst();
    answerNextModal(
        [yes](QWidget *m) { clickButton(m, yes ? QStringLiteral("&Да") : QStringLiteral("&Нет")); },
        &unanswered);
    return Prompter::askYesNo(parent, title, text);
}

void ScriptedPrompter::warn(QWidget *parent, const QString &title, const QString &text)
{
    warnings << text;
    answerNextModal(
        [](QWidget *m) {
            if (auto *box = qobject_cast<QMessageBox *>(m))
                box->button(QMessageBox::Ok)->click();
        },
        &unanswered);
    Prompter::warn(parent, title, text);
}

QString ScriptedPrompter::getOpenFileName(QWidget *, const QString &caption, const QString &filter)
{
    fileDialogs << caption + QLatin1Char('|') + filter;
    return openNames.isEmpty() ? QString() : openNames.takeFirst();
}

QString ScriptedPrompter::getSaveFileName(QWidget *, const QString &caption, const QString &filter)
{
    fileDialogs << caption + QLatin1Char('|') + filter;
    return saveNames.isEmpty() ? QString() : saveNames.takeFirst();
}

int ScriptedPrompter::execDialog(QDialog *dialog)
{
    auto drive = onDialog;
    answerNextModal(
        [drive](QWidget *m) {
            auto *d = qobject_cast<QDialog *>(m);
            if (d && drive)
                drive(d);
            // Left open: rejected as by Escape.
            if (d && d->isVisible() && !drive)
                d->reject();
        },
        &unanswered);
    return Prompter::execDialog(dialog);
}

void ScriptedPrompter::answerFileDialogs()
{
    if (fileWatch)
        return;
    QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
    fileWatch = std::make_unique<QTimer>();
    auto answered = std::make_shared<QPointer<QFileDialog>>();
    QObject::connect(fileWatch.get(), &QTimer::timeout, [this, answered] {
        QWidget *modal = QApplication::activeModalWidget();
        auto *box = qobject_cast<QMessageBox *>(modal);
        if (box && qobject_cast<QFileDialog *>(box->parentWidget())) {
            // The dialog's "replace?" question; a box without "Yes" is named and dismissed
            // rather than clicked through a null button.
            if (QAbstractButton *yes = box->button(QMessageBox::Yes)) {
                yes->click();
            } else {
                qWarning("unexpected box over a file dialog: %s", qPrintable(box->text()));
                box->reject();
            }
            return;
        }
        auto *d = qobject_cast<QFileDialog *>(modal);
        if (!d || d == *answered)
            return;
        *answered = d;
        fileDialogs << d->windowTitle() + QLatin1Char('|') + d->nameFilters().join(";;");
        if (saveNames.isEmpty()) {
            d->reject();
            return;
        }
        // Typed into the name field as a user does (selectFile leaves a focused field alone).
        if (auto *edit = d->findChild<QLineEdit *>(QStringLiteral("fileNameEdit")))
            edit->setText(saveNames.takeFirst());
        // Its own accept, as its button does; queued, so that the question it may ask runs its
        // modal loop outside this poll, which then answers it.
        QMetaObject::invokeMethod(d, "accept", Qt::QueuedConnection);
    });
    fileWatch->start(PollMs);
}
