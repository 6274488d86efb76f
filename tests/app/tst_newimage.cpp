// A new configuration as the main window makes it, and the input/output pages opened from it:
// the new image byte for byte, and what "Сохранить" copies back into the document image.
#include "k440fixture.h"

#include "app/builtinwindows.h"
#include "app/startup.h"
#include "config/crc16.h"
#include "config/widgets/windowregistry.h"
#include "pages/builtinpages.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QFile>
#include <QMdiSubWindow>
#include <QPointer>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {
// The image a new configuration must be, put together from the blocks' default tables by hand.
QByteArray handBuiltImage(bool rb, QDate today)
{
    QByteArray img(TK440::Size, '\0');
    int at = 0;
    auto byte = [&](int v) {
        img[at++] = char(v);
    };
    auto word = [&](int v) {
        byte(v & 0xFF);
        byte(v >> 8);
    };
    // pairs (value, register)
    auto pairs = [&](std::initializer_list<int> values, std::initializer_list<int> regs) {
        auto r = regs.begin();
        for (int v : values) {
            byte(v);
            byte(*r++);
        }
    };
    word(0); // the checksum is set when the image is saved or written
    pairs({0, 128, 1, 0, 48, 10, 192, 64, 0, 192, 22, 128, 74, 0, 0},
          {0, 1, 101, 2, 3, 7, 8, 9, 12, 37, 38, 40, 42, 43, 44}); // codec
    pairs({132, 255, 48, 80, 171, 68, 136, 136, 64},
          {19, 17, 15, 27, 28, 34, 103, 104, 26}); // input amplifier
    pairs({132, 255, 0, 80, 171, 68, 136, 136, 64},
          {22, 18, 16, 30, 31, 35, 105, 106, 29}); // radio input
    pairs({118, rb ? 134 : 128, 118, 118, 9}, {84, 82, 81, 85, 86}); // radio output
    pairs({118, 140, 118, 118, 9}, {88, 92, 91, 89, 93}); // output amplifier
    pairs({128, 128, 118, 118, 13}, {49, 47, 46, 50, 51}); // recorder output
    pairs({118, rb ? 118 : 128, 118, 118, rb ? 5 : 13}, {63, 61, 60, 64, 65}); // headset
    pairs({118, 118, 118, 118, rb ? 4 : 5}, {70, 68, 67, 71, 72}); // accessory
    for (int v : {0, 42, 0, 214}) // LF amplifier
        byte(v);
    for (int v : {2, 127, 0}) // recorder lines and level
        word(v);
    for (int v : {1, 8, 1, 0x3F00, 0x3F00, 0, 1, 0}) // vocoder encoder, decoder
        word(v);
    for (int v : {31, 10, 4, 16, rb ? 0 : 37, 12, 2, 50, 250, 1}) // link
        word(v);
    for (int v : {3, 6, 12, 512, 1284, 1024, 119, 2569, 256}) // modem
        word(v);
    Q_ASSERT(at == TK440::InfoOffset);
    word(0); // serial
    word(today.year());
    byte(today.month());
    byte(today.day());
    at = TK440::ModelOffset;
    word(rb ? 0x0301 : 0x0300);
    byte(1); // version 2.1: minor, then major
    byte(2);
    return img;
}

// The standard CRC-16/USB, bit by bit.
quint16 crc16usb(const QByteArray &data)
{
    quint16 crc = 0xFFFF;
    for (char c : data) {
        crc ^= quint8(c);
        for (int i = 0; i < 8; ++i)
            crc = (crc & 1) ? (crc >> 1) ^ 0xA001 : crc >> 1;
    }
    return crc ^ 0xFFFF;
}
} // namespace

class TstNewImage : public QObject
{
    Q_OBJECT

    QPointer<TestK440> w;
    QTemporaryDir tmp;

private Q_SLOTS:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        initApplication();
        registerBuiltinPages();
        registerBuiltinWindows();
    }
    void init() { w = new TestK440; }
    void cleanup() { delete w.data(); }

    void newConfiguration_data()
    {
        QTest::addColumn<int>("index");
        QTest::newRow("K-330RA") << 0;
        QTest::newRow("K-330RB") << 1;
    }
    void newConfiguration()
    {
        QFETCH(int, index);
        w->answers->onDialog = [index](QDialog *d) {
            d->findChild<QComboBox *>(QStringLiteral("boxModel"))->setCurrentIndex(index);
            d->findChild<QPushButton *>(QStringLiteral("bSet"))->click();
        };
        const QDate today = QDate::currentDate();
        w->create();
        QVERIFY(w->document().image());
        if (QDate::currentDate() != today)
            QSKIP("the date changed meanwhile");
        const QByteArray got(w->document().image()->data(), TK440::Size);
        const QByteArray expected = handBuiltImage(index == 1, today);

        struct Range
        {
            const char *name;
            int from, to;
        };
        const Range ranges[] = {
            {"checksum", 0, 2},         {"codec", 2, 32},
            {"inputs", 32, 68},         {"outputs", 68, 118},
            {"LF amplifier", 118, 122}, {"recorder", 122, 128},
            {"vocoder", 128, 144},      {"link", 144, 164},
            {"modem", 164, 182},        {"information area", 182, 388},
            {"identity", 388, 402},
        };
        for (const Range &r : ranges)
            QVERIFY2(got.mid(r.from, r.to - r.from) == expected.mid(r.from, r.to - r.from), r.name);

        // Saved, it carries the checksum of its bytes 2..401, high byte first.
        const QString path = tmp.filePath(QStringLiteral("new%1.mcd").arg(index));
        w->answers->saveNames << path;
        w->saveAs();
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray saved = f.readAll();
        QCOMPARE(saved.size(), TK440::Size);
        QCOMPARE(saved.mid(2), got.mid(2));
        const quint16 crc = crc16usb(saved.mid(2));
        QCOMPARE(quint8(saved[0]), quint8(crc >> 8));
        QCOMPARE(quint8(saved[1]), quint8(crc));
    }

    // "Сохранить" copies exactly the page's sections back; everything else of the document
    // image stays as it was.
    void saveCopiesItsSections_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<quint16>("model");
        for (const WindowRow &row : windowTable()) {
            if (row.kind != WindowKind::Page || !windowRegistry().contains(row.id))
                continue;
            for (quint16 model : {TK440::ModelRA, TK440::ModelRB}) {
                if (row.models == ModelRule::RA && model != TK440::ModelRA)
                    continue;
                if (row.models == ModelRule::RB && model != TK440::ModelRB)
                    continue;
                QTest::addRow("%s %s", row.title, model == TK440::ModelRA ? "RA" : "RB")
                    << int(row.id) << model;
            }
        }
    }
    void saveCopiesItsSections()
    {
        QFETCH(int, id);
        QFETCH(quint16, model);
        const WindowRow &row = windowRow(WindowId(id));
        w->showImage(model, 0xEE);
        const QByteArray before(w->document().image()->data(), TK440::Size);
        w->openWin(row.titleText());
        QMdiSubWindow *sub = w->findSubWindow(row.titleText());
        QVERIFY(sub);
        auto *save = sub->widget()->findChild<QAbstractButton *>(QStringLiteral("bSave"));
        QVERIFY(save);
        save->click();
        QTRY_VERIFY(!w->findSubWindow(row.titleText()));
        const QByteArray after(w->document().image()->data(), TK440::Size);
        QList<bool> inSection(TK440::Size, false);
        for (const Section &s : row.sectionList())
            for (int i = s.offset; i < s.offset + s.length; ++i)
                inSection[i] = true;
        int changed = 0;
        for (int i = 0; i < TK440::Size; ++i) {
            if (!inSection[i])
                QVERIFY2(after[i] == before[i], qPrintable(QStringLiteral("byte %1").arg(i)));
            else if (after[i] != before[i])
                ++changed;
        }
        QVERIFY(changed > 0); // the page rewrote its registers and normalised its values
    }

    // The shell never shows an image of an unknown model, but a page that cannot show one
    // leaves a line in the log rather than a window that vanishes.
    void outRadioUnknownModelIsLogged()
    {
        w->showImage(TK440::ModelRA);
        w->workingCopy()->setWord(TK440::ModelOffset, 0x0307);
        const int lines = int(w->logLines().size());
        w->openWin(QStringLiteral("Выход приемника"));
        QVERIFY(!w->findSubWindow(QStringLiteral("Выход приемника")));
        const QStringList log = w->logLines();
        QCOMPARE(log.size(), lines + 1);
        QVERIFY2(log.first().endsWith(
                     QStringLiteral("Выход приемника: Модель контроллера не определена")),
                 qPrintable(log.first()));
    }
};

QTEST_MAIN(TstNewImage)
#include "tst_newimage.moc"
