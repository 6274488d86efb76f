// Choice of the interface language, and the window table under the English translation: a
// window is found by its displayed title as well as by its Russian one.
#include "config/language.h"
#include "config/sections.h"
#include "config/windows.h"

#include <QCoreApplication>
#include <QTest>

class TestLanguage : public QObject
{
    Q_OBJECT

private slots:
    void systemLanguage_data()
    {
        QTest::addColumn<QStringList>("uiLanguages");
        QTest::addColumn<bool>("english");
        QTest::newRow("C locale") << QStringList {QStringLiteral("C")} << false;
        QTest::newRow("C.UTF-8") << QStringList {QStringLiteral("C.UTF-8")} << false;
        QTest::newRow("POSIX") << QStringList {QStringLiteral("POSIX")} << false;
        QTest::newRow("none") << QStringList() << false;
        QTest::newRow("Russian") << QStringList {QStringLiteral("ru-RU"), QStringLiteral("ru")}
                                 << false;
        QTest::newRow("English") << QStringList {QStringLiteral("en-US"), QStringLiteral("en")}
                                 << true;
        QTest::newRow("German") << QStringList {QStringLiteral("de-DE")} << true;
        QTest::newRow("Russian after English")
            << QStringList {QStringLiteral("en-GB"), QStringLiteral("ru-RU")} << true;
    }
    void systemLanguage()
    {
        QFETCH(QStringList, uiLanguages);
        QFETCH(bool, english);
        QCOMPARE(languageFromSystem(uiLanguages) == UiLanguage::English, english);
    }

    void languageArgument_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QStringList>("rest");
        const QString p = QStringLiteral("k330ctl");
        QTest::newRow("absent") << QStringList {p, QStringLiteral("show"), QStringLiteral("a")}
                                << QString()
                                << QStringList {p, QStringLiteral("show"), QStringLiteral("a")};
        QTest::newRow("before the command")
            << QStringList {p, QStringLiteral("--lang"), QStringLiteral("en"),
                            QStringLiteral("show")}
            << QStringLiteral("en") << QStringList {p, QStringLiteral("show")};
        QTest::newRow("joined, after")
            << QStringList {p, QStringLiteral("show"), QStringLiteral("--lang=ru")}
            << QStringLiteral("ru") << QStringList {p, QStringLiteral("show")};
        QTest::newRow("the last one counts")
            << QStringList {p, QStringLiteral("--lang=ru"), QStringLiteral("--lang"),
                            QStringLiteral("en")}
            << QStringLiteral("en") << QStringList {p};
        QTest::newRow("a file name after --")
            << QStringList {p, QStringLiteral("--"), QStringLiteral("--lang=en")} << QString()
            << QStringList {p, QStringLiteral("--"), QStringLiteral("--lang=en")};
        QTest::newRow("no value") << QStringList {p, QStringLiteral("--lang")} << QString()
                                  << QStringList {p, QStringLiteral("--lang")};
    }
    void languageArgument()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, value);
        QFETCH(QStringList, rest);
        QCOMPARE(::languageArgument(arguments), value);
        QCOMPARE(takeLanguageArgument(arguments), value);
        QCOMPARE(arguments, rest);
        QVERIFY(!languageFromName(QStringLiteral("fr")));
        QCOMPARE(languageFromName(QStringLiteral("EN")), UiLanguage::English);
    }

    // Runs last: the translation stays installed.
    void windowsUnderEnglish()
    {
        QCOMPARE(titleOf(WindowId::Vocoder), QStringLiteral("Вокодер"));
        QVERIFY(installTranslation(UiLanguage::English));
        QCOMPARE(titleOf(WindowId::Vocoder), QStringLiteral("Vocoder"));
        // Every window is found by what its title bar and tree item show, and by its Russian
        // title; a page's sections follow from either.
        for (const WindowRow &row : windowTable()) {
            QVERIFY2(row.displayTitle() != row.titleText(), row.title);
            QCOMPARE(findWindow(row.displayTitle()), &row);
            QCOMPARE(findWindow(row.titleText()), &row);
            QCOMPARE(isPageName(row.displayTitle()), row.kind == WindowKind::Page);
            if (row.kind == WindowKind::Page) {
                const QList<Section> found = pageSections(row.displayTitle());
                QCOMPARE(found.size(), row.sectionList().size());
                QCOMPARE(found.first().offset, row.sections[0].offset);
            }
        }
        {
            const SourceLanguageScope russian;
            QCOMPARE(titleOf(WindowId::Amplifier), QStringLiteral("Усилитель НЧ"));
        }
        QCOMPARE(titleOf(WindowId::Amplifier), QStringLiteral("LF amplifier"));
    }
};

QTEST_GUILESS_MAIN(TestLanguage)
#include "tst_language.moc"
