// Every window at its opening size in both languages, saved as a PNG (K330_LOOKS_DIR). Fails on a
// control outside its window or narrower than its text, a hidden tab, a plot too small to use, a
// cut-off tree label and a Cyrillic text in English.
#include "k440fixture.h"

#include "app/windowstate.h"
#include "config/language.h"
#include "config/windows.h"
#include "sim/simcontroller.h"
#include "sim/simtransport.h"

#include <QAbstractScrollArea>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTabBar>

// What is wrong with the look of a window, one line a fault.
static QStringList faults(QWidget *window, bool english)
{
    QStringList found;
    const auto text = [&](const QWidget *w, const QString &t) {
        if (english && t.contains(QRegularExpression(QStringLiteral("[\\x{0400}-\\x{04FF}]"))))
            found << w->objectName() + QStringLiteral(" shows ") + t;
    };
    text(window, window->windowTitle());
    for (QWidget *c : window->findChildren<QWidget *>()) {
        bool scrolled = false; // inside a scroll area, it may lie beyond its viewport
        for (QWidget *p = c->parentWidget(); p != window; p = p->parentWidget())
            scrolled |= qobject_cast<QAbstractScrollArea *>(p) != nullptr;
        if (!c->isVisibleTo(window) || scrolled)
            continue;
        const QString name = QLatin1String(c->metaObject()->className()) + ' ' + c->objectName();
        if (!window->rect().contains(QRect(c->mapTo(window, QPoint()), c->size())))
            found << name + QStringLiteral(" lies outside its window");
        auto *label = qobject_cast<QLabel *>(c);
        auto *button = qobject_cast<QAbstractButton *>(c);
        if (((label && !label->wordWrap() && !label->text().isEmpty()) || button)
            && c->width() < c->minimumSizeHint().width())
            found << name + QStringLiteral(" is cut off");
        for (const char *property : {"text", "title"})
            text(c, c->property(property).toString());
        auto *bar = qobject_cast<QTabBar *>(c);
        for (int i = 0; bar && i < bar->count(); ++i) {
            text(c, bar->tabText(i));
            if (!bar->rect().contains(bar->tabRect(i)))
                found << name + QStringLiteral(" hides the tab ") + bar->tabText(i);
        }
        if (c->objectName() == QLatin1String("view") && (c->width() < 300 || c->height() < 200))
            found << QStringLiteral("the plot is %1 x %2").arg(c->width()).arg(c->height());
    }
    return found;
}

class TstLooks : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    // Russian first: the English translation, once installed, stays.
    void everyWindow_data()
    {
        QTest::addColumn<bool>("english");
        QTest::addColumn<QString>("model");
        for (const char *tag : {"ru-RA", "ru-RB", "en-RA", "en-RB"})
            QTest::newRow(tag) << (tag[0] == 'e') << QString::fromLatin1(tag + 3);
    }
    void everyWindow()
    {
        QFETCH(bool, english);
        QFETCH(QString, model);
        QVERIFY(installTranslation(english ? UiLanguage::English : UiLanguage::Russian));
        const QDir out(qEnvironmentVariable("K330_LOOKS_DIR", QDir::currentPath()));
        QVERIFY(out.mkpath(QStringLiteral(".")));
        auto sim = makeSimulatedController(model);
        TestK440 w([sim] { return makeSimulatedTransport(sim); });
        w.resize(windowstate::defaultMainSize(w));
        w.show();
        QTRY_VERIFY(w.isConnected());
        const quint16 code = sim->identification().model;
        w.showImage(code, 0x11);
        w.answers->onDialog = [](QDialog *d) {
            d->findChild<QLineEdit *>(QStringLiteral("eCode"))->setText("Ruby_Cobalts");
            d->findChild<QPushButton *>(QStringLiteral("bSet"))->click();
        };
        w.service();
        CDevTree *tree = w.deviceTree();
        tree->expandAll();
        QApplication::processEvents();
        QStringList all;
        for (QTreeWidgetItem *item :
             tree->findItems(QString(), Qt::MatchContains | Qt::MatchRecursive))
            if (tree->visualItemRect(item).left() + tree->iconSize().width()
                    + tree->fontMetrics().horizontalAdvance(item->text(0))
                > tree->viewport()->width())
                all << item->text(0) + QStringLiteral(": cut off in the tree");
        const QString tag = QString::fromLatin1(QTest::currentDataTag());
        QVERIFY(w.grab().save(out.filePath(tag + QStringLiteral("-main.png"))));
        for (const WindowRow *row : deviceTreeRows(code, 10)) {
            if (row->kind != WindowKind::Page && row->kind != WindowKind::Document
                && row->kind != WindowKind::View)
                continue;
            QWidget *window = w.activate(row->displayTitle());
            QVERIFY2(window, row->title);
            QMdiSubWindow *sub = w.findSubWindow(row->id);
            QApplication::processEvents();
            QStringList found = faults(window, english);
            if (!w.mdi()->viewport()->rect().contains(sub->geometry()))
                found << QStringLiteral("does not fit into the main window");
            for (const QString &f : std::as_const(found))
                all << QString::fromUtf8(row->title) + QStringLiteral(": ") + f;
            QVERIFY(sub->grab().save(
                out.filePath(QStringLiteral("%1-%2.png").arg(tag).arg(int(row->id)))));
            sub->close();
        }
        QVERIFY2(all.isEmpty(), qPrintable(all.join(QLatin1Char('\n'))));
    }
};

QTEST_MAIN(TstLooks)
#include "tst_looks.moc"
