#include "config/crc16.h"
#include "config/image.h"

#include <QTest>

class TstImage : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void placeholder() { QVERIFY(true); }
};

QTEST_GUILESS_MAIN(TstImage)
#include "tst_image.moc"
