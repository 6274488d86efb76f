#include "config/dialogs/createcfg.h"
#include "config/infofields.h"
#include "config/tk440.h"
#include "config/widgets/info.h"

#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTest>
#include <QTextEdit>
#include <QTimer>

#include <cstring>

namespace {
// An image with the given identity and information fields; every other byte holds 0xA5 so
// that stray writes show.
TK440 makeImage(quint16 model, int serial, QDate date, const QString &desc)
{
    TK440 image;
    std::memset(image.b, 0xA5, TK440::Size);
    image.setWord(TK440::ModelOffset, model);
    image.setWord(TK440::VersionOffset, 0x0201);
    image.setWord(TK440::CpuSerialOffset + 0, 0x0001);
    image.setWord(TK440::CpuSerialOffset + 2, 0x2345);
    image.setWord(TK440::CpuSerialOffset + 4, 0x00AB);
    image.setWord(TK440::CpuSerialOffset + 6, 0xCDEF);
    image.setWord(TK440::CpuIdOffset, 0x5501);
    InfoFields f;
    f.serial = serial;
    f.year = date.year();
    f.month = date.month();
    f.day = date.day();
    f.desc = encodeDescription(desc);
    writeInfoFields(image.b + TK440::InfoOffset, f);
    return image;
}

template<typename T> T *child(QWidget *w, const char *name)
{
    T *c = w->findChild<T *>(QLatin1String(name));
    if (!c)
        qWarning("no child %s", name);
    return c;
}

QString label(QWidget *w, const char *name)
{
    return child<QLabel>(w, name)->text();
}

// Types the text into the widget one character at a time, as a keyboard with that layout would.
void type(QWidget *w, const QString &text)
{
    for (const char32_t c : text.toUcs4())
        QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString::fromUcs4(&c, 1),
                            Qt::NoModifier);
}

Info *openInfo(TK440 &image, int mode)
{
    auto *info = new Info(image.b + TK440::IdentOffset, image.b + TK440::InfoOffset, mode);
    info->setWindowTitle(QStringLiteral("Информация"));
    info->show();
    return info;
}
} // namespace

class TstInfoPage : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void createCfgChoice_data()
    {
        QTest::addColumn<int>("select"); // -1: leave the list alone
        QTest::addColumn<bool>("pressSet");
        QTest::addColumn<int>("result");
        QTest::addColumn<int>("index");
        QTest::newRow("untouched") << -1 << true << int(QDialog::Accepted) << 0;
        QTest::newRow("K-330RB") << 1 << true << int(QDialog::Accepted) << 1;
        QTest::newRow("closed") << 1 << false << int(QDialog::Rejected) << -1;
    }
    void createCfgChoice()
    {
        QFETCH(int, select);
        QFETCH(bool, pressSet);
        QFETCH(int, result);
        QFETCH(int, index);

        QWidget parent;
        QPointer<CreateCfg> dialog = new CreateCfg(&parent);
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Cоздание новой конфигурации"));
        QVERIFY(dialog->testAttribute(Qt::WA_DeleteOnClose));
        auto *box = child<QComboBox>(dialog, "boxModel");
        QCOMPARE(box->count(), 2);
        QCOMPARE(box->itemText(0), QStringLiteral("K-330RA"));
        QCOMPARE(box->itemText(1), QStringLiteral("K-330RB"));
        QCOMPARE(box->currentIndex(), 0);
        QCOMPARE(child<QPushButton>(dialog, "bSet")->text(), QStringLiteral("Выбрать"));
        QCOMPARE(child<QPushButton>(dialog, "bClose")->text(), QStringLiteral("Закрыть"));

        QSignalSpy chosen(dialog.data(), &CreateCfg::modelChosen);
        QTimer::singleShot(0, dialog, [&] {
            if (select >= 0)
                box->setCurrentIndex(select);
            QTest::mouseClick(child<QPushButton>(dialog, pressSet ? "bSet" : "bClose"),
                              Qt::LeftButton);
        });
        QCOMPARE(dialog->exec(), result);
        QVERIFY(dialog.isNull()); // gone once closed
        QCOMPARE(chosen.size(), index < 0 ? 0 : 1);
        if (index >= 0)
            QCOMPARE(chosen.at(0).at(0).toInt(), index);
    }

    void modeZeroWritesDefaultsOnly()
    {
        TK440 image = makeImage(TK440::ModelRB, 77, QDate(2001, 2, 3), QStringLiteral("старое"));
        const TK440 before = image;
        delete new Info(image.b + TK440::IdentOffset, image.b + TK440::InfoOffset, 0);
        const QDate today = QDate::currentDate();
        QCOMPARE(image.word(TK440::SerialOffset), quint16(0));
        QCOMPARE(image.b[TK440::DescLenOffset], quint8(0));
        QCOMPARE(image.word(TK440::YearOffset), quint16(today.year()));
        QCOMPARE(int(image.b[TK440::MonthOffset]), today.month());
        QCOMPARE(int(image.b[TK440::DayOffset]), today.day());
        for (int i = 0; i < TK440::Size; ++i) {
            if (i < TK440::SerialOffset || i >= TK440::DescOffset)
                QCOMPARE(image.b[i], before.b[i]);
        }
    }

    void shows_data()
    {
        QTest::addColumn<quint16>("model");
        QTest::addColumn<int>("serial");
        QTest::addColumn<QDate>("date");
        QTest::addColumn<QString>("modelText");
        QTest::addColumn<QString>("serialText");
        QTest::addColumn<QString>("dateText");
        QTest::newRow("RA") << TK440::ModelRA << 42 << QDate(2013, 3, 5) << "K-330RA"
                            << "0042"
                            << "05.03.2013";
        QTest::newRow("RB") << TK440::ModelRB << 1000 << QDate(2026, 12, 31) << "K-330RB"
                            << "1000"
                            << "31.12.2026";
        QTest::newRow("unknown model") << quint16(0x1234) << 7 << QDate(2011, 1, 1) << "xxxxxxx"
                                       << "0007"
                                       << "01.01.2011";
        // Values equal to the controls' initial ones must still replace the placeholders.
        QTest::newRow("control defaults") << TK440::ModelRA << 0 << QDate(2000, 1, 1) << "K-330RA"
                                          << "0000"
                                          << "01.01.2000";
    }
    void shows()
    {
        QFETCH(quint16, model);
        QFETCH(int, serial);
        QFETCH(QDate, date);
        QFETCH(QString, modelText);
        QFETCH(QString, serialText);
        QFETCH(QString, dateText);
        TK440 image = makeImage(model, serial, date, QStringLiteral("Борт №7\nвторая строка"));
        std::unique_ptr<Info> info(openInfo(image, 1));
        QCOMPARE(label(info.get(), "sModel"), modelText);
        QCOMPARE(label(info.get(), "sSoft"), QStringLiteral("2.1"));
        QCOMPARE(label(info.get(), "sNum"), serialText);
        QCOMPARE(label(info.get(), "sDate"), dateText);
        QCOMPARE(label(info.get(), "sChip"), QStringLiteral("0x5501"));
        QCOMPARE(label(info.get(), "sDie"), QStringLiteral("0x12345ABCDEF"));
        QCOMPARE(child<QTextEdit>(info.get(), "textEdit")->toPlainText(),
                 QStringLiteral("Борт №7\nвторая строка"));
    }

    void editingByMode_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("editable");
        QTest::newRow("user") << 1 << false;
        QTest::newRow("2") << 2 << false;
        QTest::newRow("3") << 3 << true;
        QTest::newRow("4") << 4 << false;
        QTest::newRow("10") << 10 << true;
    }
    void editingByMode()
    {
        QFETCH(int, mode);
        QFETCH(bool, editable);
        TK440 image = makeImage(TK440::ModelRA, 5, QDate(2012, 6, 7), QString());
        std::unique_ptr<Info> info(openInfo(image, mode));
        auto *spin = child<QSpinBox>(info.get(), "spinNum");
        auto *date = child<QDateEdit>(info.get(), "eData");
        QCOMPARE(spin->isVisible(), editable);
        QCOMPARE(date->isVisible(), editable);
        QCOMPARE(spin->isEnabled(), editable);
        QCOMPARE(date->isEnabled(), editable);
        // The description needs the box ticked first.
        auto *box = child<QGroupBox>(info.get(), "boxEdit");
        auto *text = child<QTextEdit>(info.get(), "textEdit");
        QVERIFY(box->isCheckable());
        QVERIFY(!box->isChecked());
        QVERIFY(!text->isEnabled());
        box->setChecked(true);
        QVERIFY(text->isEnabled());
    }

    void closeStoresEverything_data()
    {
        QTest::addColumn<int>("mode");
        QTest::newRow("user mode") << 1;
        QTest::newRow("service 10") << 10;
    }
    void closeStoresEverything()
    {
        QFETCH(int, mode);
        TK440 image = makeImage(TK440::ModelRB, 12, QDate(2015, 8, 9), QStringLiteral("было"));
        const TK440 before = image;
        QPointer<Info> info = openInfo(image, mode);
        QSignalSpy req(info.data(), &Info::reqClose);

        child<QGroupBox>(info, "boxEdit")->setChecked(true);
        auto *text = child<QTextEdit>(info, "textEdit");
        text->setPlainText(QStringLiteral("Новое описание: Ёлка"));
        int serial = 12;
        QDate date(2015, 8, 9);
        if (mode == 10) {
            serial = 321;
            date = QDate(2020, 2, 29);
            child<QSpinBox>(info, "spinNum")->setValue(serial);
            child<QDateEdit>(info, "eData")->setDate(date);
            QCOMPARE(label(info, "sNum"), QStringLiteral("0321"));
            QCOMPARE(label(info, "sDate"), QStringLiteral("29.02.2020"));
        }
        QTest::mouseClick(child<QPushButton>(info, "bClose"), Qt::LeftButton);

        QCOMPARE(req.size(), 1);
        QCOMPARE(req.at(0).at(0).toString(), QStringLiteral("Информация"));
        QCOMPARE(req.at(0).at(1).toBool(), true);
        const InfoFields f = readInfoFields(image.b + TK440::InfoOffset);
        QCOMPARE(f.serial, serial);
        QCOMPARE(QDate(f.year, f.month, f.day), date);
        QCOMPARE(decodeDescription(f.desc), QStringLiteral("Новое описание: Ёлка"));
        QCOMPARE(f.desc.size(), 20);
        for (int i = 0; i < TK440::InfoOffset; ++i)
            QCOMPARE(image.b[i], before.b[i]);
        for (int i = TK440::IdentOffset; i < TK440::Size; ++i)
            QCOMPARE(image.b[i], before.b[i]);
        delete info;
    }

    void storedValuesOutsideTheControlsSurvive()
    {
        // A serial above the spin box's range and an impossible date come back unchanged.
        TK440 image = makeImage(TK440::ModelRA, 0, QDate(2000, 1, 1), QString());
        image.setWord(TK440::SerialOffset, 4321);
        image.setWord(TK440::YearOffset, 0);
        image.b[TK440::MonthOffset] = 0;
        image.b[TK440::DayOffset] = 0;
        const TK440 before = image;
        std::unique_ptr<Info> info(openInfo(image, 10));
        QCOMPARE(label(info.get(), "sNum"), QStringLiteral("4321"));
        QCOMPARE(label(info.get(), "sDate"), QStringLiteral("00.00.0"));
        info->Quit();
        QCOMPARE(QByteArray(image.data(), TK440::Size), QByteArray(before.data(), TK440::Size));
    }

    void descriptionLimit()
    {
        TK440 image = makeImage(TK440::ModelRA, 1, QDate(2013, 3, 5), QString());
        std::unique_ptr<Info> info(openInfo(image, 1));
        child<QGroupBox>(info.get(), "boxEdit")->setChecked(true);
        auto *text = child<QTextEdit>(info.get(), "textEdit");
        text->setFocus();

        // Pasting 300 characters leaves 198.
        text->insertPlainText(QString(300, QChar(u'ж')));
        QCOMPARE(text->toPlainText().size(), 198);

        // Typing up to 199 is accepted; the 200th character cuts the text to 198.
        QTest::keyClick(text, Qt::Key_End, Qt::ControlModifier);
        QTest::keyClicks(text, QStringLiteral("z"));
        QCOMPARE(text->toPlainText().size(), 199);
        QTest::keyClicks(text, QStringLiteral("q"));
        QCOMPARE(text->toPlainText().size(), 198);
        QCOMPARE(text->textCursor().position(), 198);

        // Typing in the middle keeps the cursor where it was.
        text->setPlainText(QString(199, QChar(u'a')));
        QTextCursor c = text->textCursor();
        c.setPosition(10);
        text->setTextCursor(c);
        QTest::keyClicks(text, QStringLiteral("b"));
        QCOMPARE(text->toPlainText().size(), 198);
        QCOMPARE(text->textCursor().position(), 11);
        QCOMPARE(text->toPlainText().at(10), QChar(u'b'));

        info->Quit();
        QCOMPARE(image.b[TK440::DescLenOffset], quint8(198));
        QCOMPARE(image.model(), TK440::ModelRA);
    }

    void charactersOutsideTheCodePageAreRefused()
    {
        TK440 image = makeImage(TK440::ModelRA, 1, QDate(2013, 3, 5), QString());
        std::unique_ptr<Info> info(openInfo(image, 1));
        child<QGroupBox>(info.get(), "boxEdit")->setChecked(true);
        auto *text = child<QTextEdit>(info.get(), "textEdit");
        text->setFocus();

        type(text, QStringLiteral("Щит中ä😀 3"));
        QCOMPARE(text->toPlainText(), QStringLiteral("Щит 3"));
        // Typing in the middle: a refused character leaves the cursor where it was.
        QTextCursor c = text->textCursor();
        c.setPosition(3);
        text->setTextCursor(c);
        type(text, QStringLiteral("λ№"));
        QCOMPARE(text->toPlainText(), QStringLiteral("Щит№ 3"));
        QCOMPARE(text->textCursor().position(), 4);

        // The page says what it refused.
        auto *note = child<QLabel>(info.get(), "labRefused");
        QVERIFY(note);
        QVERIFY(note->isVisible());
        QVERIFY(note->text().contains(QStringLiteral("λ")));

        info->Quit();
        QCOMPARE(image.b[TK440::DescLenOffset], quint8(6));
        QCOMPARE(QByteArray(image.data() + TK440::DescOffset, 6), QByteArray("\xD9\xE8\xF2\xB9 3"));
    }

    void everyStoredByteSurvivesThePage()
    {
        // Whatever a stored description holds is shown and kept as it is, without a note.
        TK440 image = makeImage(TK440::ModelRA, 1, QDate(2013, 3, 5), QString());
        QByteArray all;
        for (int b = 1; b < 200; ++b)
            all += char(b + 56);
        InfoFields f = readInfoFields(image.b + TK440::InfoOffset);
        f.desc = all;
        writeInfoFields(image.b + TK440::InfoOffset, f);
        std::unique_ptr<Info> info(openInfo(image, 1));
        auto *note = child<QLabel>(info.get(), "labRefused");
        QVERIFY(note);
        QVERIFY(!note->isVisible());
        info->Quit();
        QCOMPARE(readInfoFields(image.b + TK440::InfoOffset).desc, all);
    }
};

QTEST_MAIN(TstInfoPage)
#include "tst_infopage.moc"
