// The table of windows, the operating modes and the defaults of a new image, linked against the
// widget-free library alone: a new image needs no window and no application object with a
// display.

#include "config/defaultimage.h"
#include "config/modes.h"
#include "config/tk440.h"
#include "config/windows.h"
#include "testsupport.h"

#include <QSet>
#include <QTest>

#include <cstring>

namespace {
// An image whose every byte differs from its neighbours, with a model word.
TK440 patternImage(quint16 model)
{
    TK440 img;
    for (int i = 0; i < TK440::Size; ++i)
        img.b[i] = quint8(i * 7 + 3);
    img.setWord(TK440::ModelOffset, model);
    return img;
}

bool inSections(const WindowRow &row, int offset)
{
    for (const Section &s : row.sectionList()) {
        if (offset >= s.offset && offset < s.offset + s.length)
            return true;
    }
    return false;
}

const QDate Today(2013, 3, 5);
} // namespace

class TstWindows : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void tableIsConsistent();
    void modesAllowWhatTheyDidAsNumbers_data();
    void modesAllowWhatTheyDidAsNumbers();
    void defaultImage_data();
    void defaultImage();
    void writersStayInTheirSections_data();
    void writersStayInTheirSections();
};

// What a new row must respect for the tree, the lookups and the copying to work.
void TstWindows::tableIsConsistent()
{
    QSet<int> ids;
    QSet<QString> titles;
    QSet<WindowId> seenGroups;
    for (const WindowRow &row : windowTable()) {
        const QString title = row.titleText();
        QVERIFY2(row.id != WindowId::None, qPrintable(title));
        QVERIFY2(!ids.contains(int(row.id)), qPrintable(title));
        QVERIFY2(!titles.contains(title), qPrintable(title));
        ids.insert(int(row.id));
        titles.insert(title);
        QCOMPARE(&windowRow(row.id), &row);
        QCOMPARE(findWindow(title), &row);

        // A tree item's parent is a group placed before it.
        if (row.parent != WindowId::None) {
            QVERIFY2(row.inTree, qPrintable(title));
            QVERIFY2(seenGroups.contains(row.parent), qPrintable(title));
        }
        if (row.kind == WindowKind::Group)
            seenGroups.insert(row.id);

        // Pages edit sections; nothing else does, and only what edits sections has defaults.
        const bool edits = row.kind == WindowKind::Page || row.kind == WindowKind::Document;
        QCOMPARE(!row.sectionList().isEmpty(), edits);
        if (row.writeDefaults)
            QVERIFY2(edits, qPrintable(title));
        for (const Section &s : row.sectionList()) {
            QVERIFY(s.offset >= TK440::CheckedOffset);
            QVERIFY(s.offset + s.length <= TK440::IdentOffset);
        }
    }
    QVERIFY(!findWindow(QStringLiteral("Нечто")));
    QVERIFY(!findWindow(QString()));
    QCOMPARE(treeLevel(windowRow(WindowId::Tasks)), 0);
    QCOMPARE(treeLevel(windowRow(WindowId::Codec)), 2);
}

// Each feature against the modes that the earlier integer comparisons named.
void TstWindows::modesAllowWhatTheyDidAsNumbers_data()
{
    QTest::addColumn<int>("feature");
    QTest::addColumn<QList<int>>("modes");
    const QList<int> service = {2, 3, 4, 5, 6, 10};
    QTest::newRow("firmware load") << int(ModeFeature::FirmwareLoad) << QList<int> {2, 10};
    QTest::newRow("modem blocks") << int(ModeFeature::ModemBlocks) << QList<int> {4, 10};
    QTest::newRow("trace") << int(ModeFeature::TraceView) << QList<int> {5, 10};
    QTest::newRow("channels 3 and 4") << int(ModeFeature::ExtraChannels) << QList<int> {10};
    QTest::newRow("factory info") << int(ModeFeature::FactoryInfo) << QList<int> {3, 10};
    QTest::newRow("information area written")
        << int(ModeFeature::WriteInfoArea) << QList<int> {3, 10};
    QTest::newRow("modem controls") << int(ModeFeature::ModemControls) << QList<int> {4, 10};
    QTest::newRow("vocoder controls") << int(ModeFeature::VocoderControls) << QList<int> {6, 10};
    QTest::newRow("receiver controls") << int(ModeFeature::ReceiverControls) << QList<int> {10};
    QTest::newRow("any firmware version") << int(ModeFeature::AnyFirmwareVersion) << service;
    QTest::newRow("live command log") << int(ModeFeature::LiveCommandLog) << QList<int> {10};
    QTest::newRow("none") << int(ModeFeature::None)
                          << QList<int> {-1, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};
}

void TstWindows::modesAllowWhatTheyDidAsNumbers()
{
    QFETCH(int, feature);
    QFETCH(QList<int>, modes);
    for (int mode = -1; mode <= 11; ++mode) {
        QVERIFY2(modeAllows(mode, ModeFeature(feature)) == modes.contains(mode),
                 qPrintable(QStringLiteral("mode %1").arg(mode)));
    }
}

void TstWindows::defaultImage_data()
{
    QTest::addColumn<quint16>("model");
    QTest::newRow("K-330RA") << TK440::ModelRA;
    QTest::newRow("K-330RB") << TK440::ModelRB;
}

void TstWindows::defaultImage()
{
    QFETCH(quint16, model);
    TK440 img;
    std::memset(img.b, 0xEE, TK440::Size); // whatever the image held goes
    makeDefaultImage(img, model, Today);
    const QByteArray bytes(img.data(), TK440::Size);

    QByteArray expected(TK440::Size, '\0');
    expected.replace(TK440::CodecOffset, TK440::CodecSize,
                     hexBytes("00 00 80 01 01 65 00 02 30 03 0a 07 c0 08 40 09"
                              "00 0c c0 25 16 26 80 28 4a 2a 00 2b 00 2c"));
    // Both models carry the amplifier's defaults, whether or not the tree shows its page.
    expected.replace(TK440::AmpOffset, TK440::AmpSize, hexBytes("00 2a 00 d6"));
    expected.replace(TK440::VocOffset, TK440::VocSize, hexBytes("01 00 08 00 01 00 00 3f 00 3f"));
    expected.replace(TK440::Voc2Offset, TK440::Voc2Size, hexBytes("00 00 01 00 00 00"));
    // T0 is 740 ms on the K-330RA, 0 on the K-330RB.
    expected.replace(TK440::LinkOffset, TK440::LinkSize,
                     hexBytes("1f 00 0a 00 04 00 10 00 00 00 0c 00 02 00 32 00 fa 00 01 00"));
    expected[TK440::LinkOffset + 8] = char(model == TK440::ModelRA ? 37 : 0);
    expected.replace(TK440::ModemOffset, TK440::ModemSize,
                     hexBytes("03 00 06 00 0c 00 00 02 04 05 00 04 77 00 09 0a 00 01"));
    expected.replace(TK440::YearOffset, 4, hexBytes("dd 07 03 05")); // 2013, March, 5th
    expected[TK440::ModelOffset] = char(model & 0xFF);
    expected[TK440::ModelOffset + 1] = char(model >> 8);
    expected.replace(TK440::VersionOffset, 2, hexBytes("01 02"));
    // The input and output blocks are checked with the whole new image in
    // tests/app/tst_newimage.cpp; here the other blocks, the information area and the identity.
    const Section checked[] = {
        {TK440::CodecOffset, TK440::CodecSize}, {TK440::AmpOffset, TK440::AmpSize},
        {TK440::VocOffset, TK440::VocSize},     {TK440::Voc2Offset, TK440::Voc2Size},
        {TK440::LinkOffset, TK440::LinkSize},   {TK440::ModemOffset, TK440::ModemSize},
        {TK440::InfoOffset, TK440::InfoSize},   {TK440::IdentOffset, TK440::IdentSize}};
    for (const Section &s : checked) {
        for (int i = s.offset; i < s.offset + s.length; ++i)
            QVERIFY2(bytes[i] == expected[i], qPrintable(QStringLiteral("byte %1").arg(i)));
    }

    // The date comes from the caller; the rest does not depend on it.
    TK440 later;
    makeDefaultImage(later, model, QDate(2026, 12, 31));
    QCOMPARE(QByteArray(later.data() + TK440::YearOffset, 4), hexBytes("ea 07 0c 1f"));
    std::memcpy(later.b + TK440::YearOffset, img.b + TK440::YearOffset, 4);
    QCOMPARE(QByteArray(later.data(), TK440::Size), bytes);
}

// A writer that wrote outside its sections would make the new image depend on the order of the
// writers, and a page's defaults would spill into other blocks.
void TstWindows::writersStayInTheirSections_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<quint16>("model");
    for (const WindowRow &row : windowTable()) {
        if (!row.writeDefaults)
            continue;
        for (quint16 model : {TK440::ModelRA, TK440::ModelRB}) {
            QTest::addRow("%s %s", row.title, model == TK440::ModelRA ? "RA" : "RB")
                << int(row.id) << model;
        }
    }
}

void TstWindows::writersStayInTheirSections()
{
    QFETCH(int, id);
    QFETCH(quint16, model);
    const WindowRow &row = windowRow(WindowId(id));
    const TK440 before = patternImage(model);
    TK440 after = before;
    row.writeDefaults(after, Today);
    int changed = 0;
    for (int i = 0; i < TK440::Size; ++i) {
        if (inSections(row, i))
            changed += after.b[i] != before.b[i];
        else
            QVERIFY2(after.b[i] == before.b[i], qPrintable(QStringLiteral("byte %1").arg(i)));
    }
    QVERIFY(changed > 0);
}

QTEST_GUILESS_MAIN(TstWindows)
#include "tst_windows.moc"
