// The real main window under the English translation: the tree shows the windows' English
// titles, each window opens once under its title, and a page kept with "Save" hands its
// sections back although it is named in English; no window shows a Cyrillic letter.
#include "k440fixture.h"

#include "config/language.h"
#include "config/tk440.h"
#include "config/windows.h"
#include "sim/simcontroller.h"
#include "sim/simtransport.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTest>

class TstK440English : public QObject
{
    Q_OBJECT

    std::shared_ptr<SimController> sim;
    std::unique_ptr<TestK440> w;

    QWidget *activate(const QString &title) { return w->activate(title); }

    // The texts of a window that hold Cyrillic letters, each with its widget's name.
    static QStringList cyrillicTexts(QWidget *window)
    {
        static const QRegularExpression cyrillic(QStringLiteral("[\\x{0400}-\\x{04FF}]"));
        QStringList found;
        const auto check = [&](const QObject *o, const QString &text) {
            if (text.contains(cyrillic))
                found << o->objectName() + QStringLiteral(": ") + text;
        };
        QList<QWidget *> widgets = window->findChildren<QWidget *>();
        widgets << window;
        for (QWidget *c : widgets) {
            check(c, c->windowTitle());
            check(c, c->toolTip());
            if (auto *l = qobject_cast<QLabel *>(c))
                check(c, l->text());
            if (auto *b = qobject_cast<QAbstractButton *>(c))
                check(c, b->text());
            if (auto *g = qobject_cast<QGroupBox *>(c))
                check(c, g->title());
            if (auto *box = qobject_cast<QComboBox *>(c)) {
                for (int i = 0; i < box->count(); ++i)
                    check(c, box->itemText(i));
            }
        }
        return found;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QVERIFY(installTranslation(UiLanguage::English));
    }

    void init()
    {
        sim = makeSimulatedController(QStringLiteral("RA"));
        auto s = sim;
        w = std::make_unique<TestK440>([s] { return makeSimulatedTransport(s); });
        QTRY_VERIFY(w->isConnected());
        w->showImage(TK440::ModelRA, 0x11);
        w->answers->onDialog = [](QDialog *d) {
            d->findChild<QLineEdit *>(QStringLiteral("eCode"))
                ->setText(QStringLiteral("Ruby_Cobalts"));
            d->findChild<QPushButton *>(QStringLiteral("bSet"))->click();
        };
        w->service();
        QCOMPARE(w->currentMode(), 10);
    }
    void cleanup() { w.reset(); }

    void pageKeptUnderItsEnglishTitle()
    {
        const QString title = titleOf(WindowId::Protocol);
        QCOMPARE(title, QStringLiteral("Link protocol"));
        const QByteArray before(w->documentImage()->data(), TK440::Size);
        QWidget *page = activate(title);
        QVERIFY(page);
        QCOMPARE(page->windowTitle(), title);
        // Activated again: the open window comes to the front, no second one opens.
        QCOMPARE(activate(title), page);
        QCOMPARE(w->findChildren<QMdiSubWindow *>().size(), 1);
        page->findChild<QSpinBox *>(QStringLiteral("sN1"))->setValue(100);
        page->findChild<QAbstractButton *>(QStringLiteral("bSave"))->click();
        QTRY_VERIFY(!w->findSubWindow(title));
        const QByteArray after(w->documentImage()->data(), TK440::Size);
        const Section link = windowRow(WindowId::Protocol).sections[0];
        QVERIFY(after.mid(link.offset, link.length) != before.mid(link.offset, link.length));
        QCOMPARE(after.left(link.offset), before.left(link.offset));
    }

    void everyWindowInEnglish()
    {
        QVERIFY(cyrillicTexts(w.get()).isEmpty());
        // Every menu entry has a mnemonic of its own.
        QStringList menus {QString()};
        for (const QAction *a : w->menuBar()->actions())
            menus << a->text();
        QVERIFY(mnemonicFaults(w->menuBar(), menus).isEmpty());
        int opened = 0;
        for (const WindowRow *row : deviceTreeRows(TK440::ModelRA, 10)) {
            if (row->kind != WindowKind::Page && row->kind != WindowKind::Document
                && row->kind != WindowKind::View)
                continue;
            QWidget *window = activate(row->displayTitle());
            QVERIFY2(window, row->title);
            const QStringList found = cyrillicTexts(window);
            QVERIFY2(found.isEmpty(), qPrintable(found.join(QLatin1Char('\n'))));
            ++opened;
        }
        QCOMPARE(opened, 20);
    }
};

QTEST_MAIN(TstK440English)
#include "tst_k440english.moc"
