// Sharing the grid's width among its columns: proportions kept, captions never cut, the width filled.
#include "app/ColumnFit.h"

#include <QTest>

using namespace corvane;

class TestColumnFit : public QObject {
    Q_OBJECT

private slots:
    void fit_data() {
        QTest::addColumn<QList<int>>("widths");
        QTest::addColumn<QList<int>>("minimums");
        QTest::addColumn<int>("available");
        QTest::addColumn<QList<int>>("expected");
        QTest::newRow("doubled") << QList<int>{100, 50} << QList<int>{10, 10} << 300 << QList<int>{200, 100};
        QTest::newRow("rounding rest to the last")
            << QList<int>{1, 1, 1} << QList<int>{0, 0, 0} << 10 << QList<int>{3, 3, 4};
        QTest::newRow("shrunk") << QList<int>{142, 87, 56, 88} << QList<int>{40, 40, 40, 40} << 373
                                << QList<int>{142, 87, 56, 88};
        // The narrow column would get 10 but needs 60: it is held there and the others share the other 140.
        QTest::newRow("caption held") << QList<int>{300, 30, 270} << QList<int>{10, 60, 10} << 200
                                      << QList<int>{73, 60, 67};
        QTest::newRow("minimums do not fit") << QList<int>{100, 100} << QList<int>{80, 90} << 150 << QList<int>{80, 90};
        QTest::newRow("zero width counts as its minimum")
            << QList<int>{0, 100} << QList<int>{50, 10} << 300 << QList<int>{100, 200};
        QTest::newRow("no columns") << QList<int>{} << QList<int>{} << 300 << QList<int>{};
    }
    void fit() {
        QFETCH(QList<int>, widths);
        QFETCH(QList<int>, minimums);
        QFETCH(int, available);
        QFETCH(QList<int>, expected);
        const QList<int> fitted = ColumnFit::fit(widths, minimums, available);
        QCOMPARE(fitted, expected);
        for (qsizetype i = 0; i < fitted.size(); ++i) {
            QVERIFY(fitted.at(i) >= minimums.at(i));
        }
    }
};

QTEST_MAIN(TestColumnFit)
#include "tst_columnfit.moc"
