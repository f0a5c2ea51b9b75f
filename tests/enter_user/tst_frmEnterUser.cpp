#include <QtTest>
class tst_frmEnterUser : public QObject { Q_OBJECT };
QTEST_MAIN(tst_frmEnterUser)
#include "tst_frmEnterUser.moc"
