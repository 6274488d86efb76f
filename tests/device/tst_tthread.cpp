#include "device/tthread.h"

#include <QTest>

class TstTThread : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void placeholder() { QVERIFY(true); }
};

QTEST_GUILESS_MAIN(TstTThread)
#include "tst_tthread.moc"
