#pragma once
// The main-window fixture: the main window with its image handling opened to the tests, its
// user prompts answered through the real message boxes and dialogs, and small stand-ins for
// pages and task windows.

#include "app/cdevtree.h"
#include "app/k440.h"
#include "config/dialogs/createcfg.h"
#include "config/widgets/subwindow.h"
#include "scriptedprompter.h"

#include <QAction>
#include <QComboBox>
#include <QDialog>
#include <QList>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QStringList>
#include <QTest>
#include <QWidget>

#include <cstring>
#include <functional>
#include <memory>
#include <optional>
#include <utility>

// The main window's prompts as ScriptedPrompter answers them, counting the file dialogs and
// noting what the status bar said when each warning came up. With createIndex set, the
// new-configuration dialog is driven through its buttons: that list index is chosen, or -1
// closes it; other dialogs go to onDialog.
class K440Answers : public ScriptedPrompter
{
public:
    std::optional<int> createIndex;
    QStringList statusAtWarning;
    int openDialogs = 0;
    int saveDialogs = 0;
    QStatusBar *bar = nullptr;

    void warn(QWidget *parent, const QString &title, const QString &text) override
    {
        statusAtWarning << bar->currentMessage();
        ScriptedPrompter::warn(parent, title, text);
    }
    QString getOpenFileName(QWidget *parent, const QString &caption, const QString &filter) override
    {
        ++openDialogs;
        return ScriptedPrompter::getOpenFileName(parent, caption, filter);
    }
    QString getSaveFileName(QWidget *parent, const QString &caption, const QString &filter) override
    {
        ++saveDialogs;
        return ScriptedPrompter::getSaveFileName(parent, caption, filter);
    }
    int execDialog(QDialog *dialog) override
    {
        if (!createIndex || !qobject_cast<CreateCfg *>(dialog))
            return ScriptedPrompter::execDialog(dialog);
        const int index = *createIndex;
        auto previous = std::exchange(onDialog, [index](QDialog *d) {
            if (index >= 0)
                d->findChild<QComboBox *>(QStringLiteral("boxModel"))->setCurrentIndex(index);
            const char *button = index >= 0 ? "bSet" : "bClose";
            QTest::mouseClick(d->findChild<QPushButton *>(QLatin1String(button)), Qt::LeftButton);
        });
        const int result = ScriptedPrompter::execDialog(dialog);
        onDialog = std::move(previous);
        return result;
    }
};

// The main window with its image handling opened to the tests.
class TestK440 : public K440
{
public:
    K440Answers *answers;

    // transport: the link of the worker thread, as start-up hands it over; none for the bus.
    explicit TestK440(const UsbTransport::Factory &transport = {})
        : K440(QString(), transport)
    {
        auto p = std::make_unique<K440Answers>();
        answers = p.get();
        answers->bar = statusBar();
        setPrompter(std::move(p));
    }

    // Adopts a zeroed image of the model and shows it, as opening a file does.
    void showImage(quint16 model, quint8 fill = 0)
    {
        auto image = std::make_unique<TK440>();
        std::memset(image->b, fill, TK440::Size);
        image->setWord(TK440::ModelOffset, model);
        document().setImage(std::move(image));
        buildTree(currentMode());
    }
    using K440::buildTree;
    using K440::closeImage;
    using K440::setCurrentFile;
    using K440::strippedName;

    // Activates the device-tree item `title` as the user does and returns the window it opened.
    QWidget *activate(const QString &title)
    {
        QTreeWidgetItem *item = deviceTree()->findItems(title, Qt::MatchRecursive).value(0);
        if (!item)
            return nullptr;
        Q_EMIT deviceTree()->itemActivated(item, 0);
        QMdiSubWindow *sub = findSubWindow(title);
        return sub ? sub->widget() : nullptr;
    }

    QAction *action(const char *name) const { return findChild<QAction *>(QLatin1String(name)); }

    QStringList logLines() const
    {
        auto *edit = findChild<QPlainTextEdit *>(QStringLiteral("logEdit"));
        return edit->toPlainText().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }
};

// Menu entries without a mnemonic, or sharing one with an entry above them in a menu titled in
// `distinct` ("" stands for the menu bar).
inline QStringList mnemonicFaults(QMenuBar *bar, const QStringList &distinct)
{
    QStringList faults;
    for (const QAction *m : QList<QAction *> {nullptr} + bar->actions()) {
        if (m && !m->menu())
            continue;
        const QString title = m ? m->text() : QString();
        QStringList seen;
        for (const QAction *a : m ? m->menu()->actions() : bar->actions()) {
            const QString key = QKeySequence::mnemonic(a->text()).toString();
            if (!a->isSeparator() && a->isVisible()
                && (key.isEmpty() || (distinct.contains(title) && seen.contains(key))))
                faults << title + QStringLiteral(": ") + a->text();
            seen << key;
        }
    }
    return faults;
}

// Texts of the device tree, depth-first, each indented by two blanks per level.
inline QStringList treeTexts(const CDevTree *tree)
{
    QStringList out;
    std::function<void(QTreeWidgetItem *, int)> walk = [&](QTreeWidgetItem *item, int level) {
        out << QString(level * 2, QLatin1Char(' ')) + item->text(0);
        for (int i = 0; i < item->childCount(); ++i)
            walk(item->child(i), level + 1);
    };
    for (int i = 0; i < tree->topLevelItemCount(); ++i)
        walk(tree->topLevelItem(i), 0);
    return out;
}

// A stand-in for a page or a task window: it can change bytes of the image it was given and
// ask to be closed.
class FakeWindow : public SubWindow
{
    Q_OBJECT

public:
    explicit FakeWindow(TK440 *image = nullptr)
        : img(image)
    {
        setAttribute(Qt::WA_DeleteOnClose);
    }
    TK440 *img;
    QByteArray firmware;

    void finish(bool keep) { requestClose(keep); }
};
