// The logo of the Info page and the About window: the forms load it without any image format
// plugin, so that showing them never loads the JPEG library (whose thread-local data the leak
// checker of the sanitizer build crashes on, in a library loaded after start-up).
//
// Each form is only built, not painted: the style's own pictures, drawn on the first paint,
// are read in a way that loads every installed plugin, and so do the main window's icons. The
// check therefore runs in its own process and before anything paints.

#include "app/about.h"
#include "config/tk440.h"
#include "config/widgets/info.h"

#include <QLabel>
#include <QPointer>
#include <QTest>

#include <link.h>

#include <set>
#include <string>

namespace {

// Loaded objects that have their own thread-local storage.
std::set<std::string> objectsWithTls()
{
    std::set<std::string> names;
    dl_iterate_phdr(
        [](dl_phdr_info *info, size_t, void *data) {
            if (info->dlpi_tls_modid != 0)
                static_cast<std::set<std::string> *>(data)->insert(info->dlpi_name ? info->dlpi_name
                                                                                   : "");
            return 0;
        },
        &names);
    return names;
}

// Taken before main(): the libraries the program was linked with.
const std::set<std::string> startupTls = objectsWithTls();

QStringList lateTlsObjects()
{
    QStringList late;
    for (const std::string &name : objectsWithTls())
        if (!startupTls.count(name))
            late << QString::fromStdString(name);
    return late;
}

QStringList imagePlugins()
{
    QFile maps(QStringLiteral("/proc/self/maps"));
    if (!maps.open(QIODevice::ReadOnly))
        return {QStringLiteral("(cannot read /proc/self/maps)")};
    QStringList found;
    for (const QByteArray &line : maps.readAll().split('\n')) {
        const int at = line.indexOf('/');
        if (at >= 0 && line.contains("/imageformats/")) {
            const QString path = QString::fromLocal8Bit(line.mid(at));
            if (!found.contains(path))
                found << path;
        }
    }
    return found;
}

} // namespace

class TstFormPictures : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void logo_data()
    {
        QTest::addColumn<QString>("form");
        QTest::newRow("Info") << QStringLiteral("Info");
        QTest::newRow("About") << QStringLiteral("About");
    }

    void logo()
    {
        QFETCH(QString, form);
        TK440 image {};
        image.setWord(TK440::ModelOffset, TK440::ModelRA);
        QPointer<QWidget> w;
        if (form == QLatin1String("Info"))
            w = new Info(image.b + TK440::IdentOffset, image.b + TK440::InfoOffset, 1);
        else
            w = new About(nullptr, 0x0201);

        auto *label = w->findChild<QLabel *>(QStringLiteral("labImg"));
        QVERIFY(label);
        const QImage logo = label->pixmap().toImage();
        QCOMPARE(logo.size(), QSize(96, 96));
        // A blue disc on white: the picture itself, not just something of the right size.
        QCOMPARE(logo.pixelColor(2, 2), QColor(Qt::white));
        const QColor disc = logo.pixelColor(48, 80);
        QVERIFY2(disc.blue() > 140 && disc.red() < 60 && disc.green() < 100,
                 qPrintable(disc.name()));

        QVERIFY2(imagePlugins().isEmpty(), qPrintable(imagePlugins().join(QLatin1Char(' '))));
        QVERIFY2(lateTlsObjects().isEmpty(), qPrintable(lateTlsObjects().join(QLatin1Char(' '))));
        delete w.data();
    }
};

QTEST_MAIN(TstFormPictures)
#include "tst_formpictures.moc"
