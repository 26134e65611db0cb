// Ordering list lines by the number each starts with.

#include "ui/list_sorting.h"

#include <QListWidget>
#include <QTest>

using namespace tolvane;
using namespace Qt::Literals::StringLiterals;

namespace {

QStringList Lines(const QListWidget& list) {
    QStringList lines;
    for (int i = 0; i < list.count(); ++i)
        lines << list.item(i)->text();
    return lines;
}

} // namespace

class ListSortingTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void sortsByTheLeadingNumber_data() {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QStringList>("sorted");
        QTest::newRow("frequency lines") << QStringList{u"26.500000 GHz"_s, u"0.050000 GHz"_s,
                                                        u"5.000000 GHz"_s, u"1.000000 GHz"_s}
                                         << QStringList{u"0.050000 GHz"_s, u"1.000000 GHz"_s,
                                                        u"5.000000 GHz"_s, u"26.500000 GHz"_s};
        QTest::newRow("numbers, not texts, are compared")
            << QStringList{u"10.0 dBm = 0.1 dB"_s, u"9.0 dBm = 0.2 dB"_s, u"-20.0 dBm = 0.3 dB"_s}
            << QStringList{u"-20.0 dBm = 0.3 dB"_s, u"9.0 dBm = 0.2 dB"_s, u"10.0 dBm = 0.1 dB"_s};
        QTest::newRow("equal numbers keep their order, duplicates stay")
            << QStringList{u"2 b"_s, u"1"_s, u"2 a"_s, u"1"_s}
            << QStringList{u"1"_s, u"1"_s, u"2 b"_s, u"2 a"_s};
        QTest::newRow("very large numbers") << QStringList{u"1e25"_s, u"3e20"_s, u"1"_s}
                                            << QStringList{u"1"_s, u"3e20"_s, u"1e25"_s};
        QTest::newRow("lines without a number go last, in their order")
            << QStringList{u"x"_s, u"2"_s, u"y"_s, u"1"_s}
            << QStringList{u"1"_s, u"2"_s, u"x"_s, u"y"_s};
        QTest::newRow("empty list") << QStringList{} << QStringList{};
    }
    void sortsByTheLeadingNumber() {
        QFETCH(QStringList, lines);
        QFETCH(QStringList, sorted);
        QListWidget list;
        list.addItems(lines);
        SortListByLeadingNumber(&list);
        QCOMPARE(Lines(list), sorted);
    }

    void linesKeepWhatTheyCarry() {
        QListWidget list;
        list.addItems({QStringLiteral("3"), QStringLiteral("1")});
        list.item(0)->setData(Qt::UserRole, 33);
        list.item(1)->setData(Qt::UserRole, 11);
        list.setCurrentRow(0);
        SortListByLeadingNumber(&list);
        QCOMPARE(list.item(0)->data(Qt::UserRole).toInt(), 11);
        QCOMPARE(list.item(1)->data(Qt::UserRole).toInt(), 33);
        QVERIFY(list.selectedItems().isEmpty());
    }
};

QTEST_MAIN(ListSortingTest)
#include "list_sorting_test.moc"
