// The two signal-flow graphs: where a click lands, what each hot spot opens, the cursor over them
// and the labels drawn inside them.

#include "ui/model/signal_flow_graph.h"
#include "ui/model/value_table_page.h"

#include <QSignalSpy>
#include <QTest>

using namespace tolvane;

Q_DECLARE_METATYPE(tolvane::GraphSide)

namespace {

void SendMouseMove(QWidget* widget, QPoint at) {
    QMouseEvent move(QEvent::MouseMove, at, widget->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(widget, &move);
}

} // namespace

class SignalFlowGraphTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // One point inside every rectangle of both pictures, worked out from the rectangles' corners,
    // and a few points in no rectangle.
    void targetAtPoint_data() {
        QTest::addColumn<GraphSide>("side");
        QTest::addColumn<QPoint>("point");
        QTest::addColumn<int>("target");
        const auto source = GraphSide::Source;
        const auto load = GraphSide::Load;
        QTest::newRow("source SSr") << source << QPoint(86, 41) << int(kTermSourceUncertainty);
        QTest::newRow("source NRc") << source << QPoint(38, 177) << int(kTermReceiverNoise);
        QTest::newRow("source CDr") << source << QPoint(107, 89) << int(kTermDirectivity);
        QTest::newRow("source CSm") << source << QPoint(188, 89) << int(kTermSourceMatch);
        QTest::newRow("source CRt") << source << QPoint(163, 136) << int(kTermReflectionTracking);
        QTest::newRow("source DCb1Tm upper")
            << source << QPoint(251, 41) << int(kTermCable1MagnitudeDrift);
        QTest::newRow("source DCb1Tm lower")
            << source << QPoint(251, 136) << int(kTermCable1MagnitudeDrift);
        QTest::newRow("source RCn1Rm left")
            << source << QPoint(290, 89) << int(kTermConnector1Reflection);
        QTest::newRow("source RCn1Rm right")
            << source << QPoint(385, 89) << int(kTermConnector1Reflection);
        QTest::newRow("source 1+RCn1Tm upper")
            << source << QPoint(336, 41) << int(kTermConnector1Transmission);
        QTest::newRow("source 1+RCn1Tm lower")
            << source << QPoint(336, 136) << int(kTermConnector1Transmission);
        QTest::newRow("source S11A") << source << QPoint(436, 89) << kTargetDut;
        QTest::newRow("source S12A") << source << QPoint(464, 139) << kTargetDut;
        QTest::newRow("source S21A") << source << QPoint(464, 38) << kTargetDut;
        QTest::newRow("source S22A") << source << QPoint(492, 94) << kTargetDut;
        QTest::newRow("source left and top edges are inside")
            << source << QPoint(65, 20) << int(kTermSourceUncertainty);
        QTest::newRow("source right edge is outside") << source << QPoint(107, 40) << kTargetNone;
        QTest::newRow("source bottom edge is outside") << source << QPoint(86, 63) << kTargetNone;
        QTest::newRow("source gain 1 between SSr and DCb1Tm")
            << source << QPoint(183, 50) << kTargetNone;
        QTest::newRow("source empty corner") << source << QPoint(300, 180) << kTargetNone;

        QTest::newRow("load S11A") << load << QPoint(44, 89) << kTargetDut;
        QTest::newRow("load S12A") << load << QPoint(72, 141) << kTargetDut;
        QTest::newRow("load S21A") << load << QPoint(72, 37) << kTargetDut;
        QTest::newRow("load S22A") << load << QPoint(102, 94) << kTargetDut;
        QTest::newRow("load RCn2Rm") << load << QPoint(200, 89) << int(kTermConnector2Reflection);
        QTest::newRow("load 1+RCn2Tm upper")
            << load << QPoint(200, 41) << int(kTermConnector2Transmission);
        QTest::newRow("load 1+RCn2Tm lower")
            << load << QPoint(200, 138) << int(kTermConnector2Transmission);
        QTest::newRow("load DCb2Tm upper")
            << load << QPoint(285, 41) << int(kTermCable2MagnitudeDrift);
        QTest::newRow("load DCb2Tm lower")
            << load << QPoint(285, 138) << int(kTermCable2MagnitudeDrift);
        QTest::newRow("load CLm") << load << QPoint(310, 89) << int(kTermLoadMatch);
        QTest::newRow("load CTt") << load << QPoint(373, 41) << int(kTermTransmissionTracking);
        QTest::newRow("load CXt") << load << QPoint(397, 89) << int(kTermCrosstalk);
        QTest::newRow("load SRc") << load << QPoint(458, 42) << int(kTermReceiverUncertainty);
        QTest::newRow("load NRc") << load << QPoint(497, 148) << int(kTermReceiverNoise);
        QTest::newRow("load between S11A and S22A") << load << QPoint(73, 89) << kTargetNone;
        QTest::newRow("load node a1M") << load << QPoint(430, 113) << kTargetNone;
        QTest::newRow("load outside the picture") << load << QPoint(528, 179) << kTargetNone;
    }

    void targetAtPoint() {
        QFETCH(GraphSide, side);
        QFETCH(QPoint, point);
        QFETCH(int, target);
        QCOMPARE(GraphTargetAt(side, point.x(), point.y()), target);
    }

    void sizesLeaveFivePixelsAroundThePictures() {
        QCOMPARE(SignalFlowGraph(GraphSide::Source).size(), QSize(537, 193));
        QCOMPARE(SignalFlowGraph(GraphSide::Load).size(), QSize(529, 180));
    }

    void labels_data() {
        QTest::addColumn<GraphSide>("side");
        QTest::addColumn<QStringList>("branchLabels");
        QTest::newRow("source") << GraphSide::Source
                                << QStringList{QStringLiteral("SSr"),      QStringLiteral("DCb1Tm"),
                                               QStringLiteral("1+RCn1Tm"), QStringLiteral("CDr"),
                                               QStringLiteral("CSm"),      QStringLiteral("CRt"),
                                               QStringLiteral("RCn1Rm"),   QStringLiteral("S11A"),
                                               QStringLiteral("S21A"),     QStringLiteral("S12A"),
                                               QStringLiteral("S22A"),     QStringLiteral("NRc")};
        QTest::newRow("load") << GraphSide::Load
                              << QStringList{QStringLiteral("1+RCn2Tm"), QStringLiteral("DCb2Tm"),
                                             QStringLiteral("CTt"),      QStringLiteral("SRc"),
                                             QStringLiteral("RCn2Rm"),   QStringLiteral("CLm"),
                                             QStringLiteral("CXt"),      QStringLiteral("NRc"),
                                             QStringLiteral("S11A"),     QStringLiteral("S21A"),
                                             QStringLiteral("S12A"),     QStringLiteral("S22A")};
    }

    // Every branch label lies wholly inside a rectangle of the hot spot it belongs to, so the
    // user clicks on what they read; node names, gains and captions lie outside every hot spot
    // and inside the picture.
    void labels() {
        QFETCH(GraphSide, side);
        QFETCH(QStringList, branchLabels);
        const QRectF picture =
            side == GraphSide::Source ? QRectF(5, 5, 527, 183) : QRectF(5, 5, 519, 170);
        QStringList drawn;
        for (const GraphLabel& label : GraphLabels(side)) {
            const QRectF& r = label.rect;
            const QString where = QStringLiteral("%1 at (%2, %3, %4, %5)")
                                      .arg(label.text)
                                      .arg(r.left())
                                      .arg(r.top())
                                      .arg(r.right())
                                      .arg(r.bottom());
            QVERIFY2(picture.contains(label.rect), qPrintable(where));
            bool inOwnSpot = false;
            bool touchesSpot = false;
            for (const HotSpot& spot : GraphHotSpots(side)) {
                const QRectF rect(spot.left, spot.top, spot.right - spot.left,
                                  spot.bottom - spot.top);
                inOwnSpot = inOwnSpot || (spot.target == label.target && rect.contains(label.rect));
                touchesSpot = touchesSpot || rect.intersects(label.rect);
            }
            if (label.target == kTargetNone) {
                QVERIFY2(!touchesSpot, qPrintable(where));
            } else {
                QVERIFY2(inOwnSpot, qPrintable(where));
                drawn << label.text;
            }
        }
        for (const QString& text : branchLabels)
            QVERIFY2(drawn.contains(text), qPrintable(text));
    }

    void cursorShowsHotSpots() {
        SignalFlowGraph graph(GraphSide::Source);
        QCOMPARE(graph.cursor().shape(), Qt::ArrowCursor);
        SendMouseMove(&graph, QPoint(107, 89)); // CDr
        QCOMPARE(graph.hoveredTarget(), int(kTermDirectivity));
        QCOMPARE(graph.cursor().shape(), Qt::BitmapCursor);
        QVERIFY(!graph.cursor().pixmap().isNull());
        QCOMPARE(graph.cursor().hotSpot(), QPoint(1, 1));
        SendMouseMove(&graph, QPoint(300, 180)); // an empty part of the picture
        QCOMPARE(graph.hoveredTarget(), kTargetNone);
        QCOMPARE(graph.cursor().shape(), Qt::ArrowCursor);

        SignalFlowGraph load(GraphSide::Load);
        SendMouseMove(&load, QPoint(397, 89)); // CXt
        QCOMPARE(load.cursor().shape(), Qt::BitmapCursor);
        SendMouseMove(&load, QPoint(38, 177)); // where the source picture has NRc
        QCOMPARE(load.cursor().shape(), Qt::ArrowCursor);
    }

    void clicksEmitTheirTarget() {
        SignalFlowGraph graph(GraphSide::Load);
        QSignalSpy clicked(&graph, &SignalFlowGraph::targetClicked);
        QTest::mouseClick(&graph, Qt::LeftButton, {}, QPoint(397, 89));  // CXt
        QTest::mouseClick(&graph, Qt::LeftButton, {}, QPoint(300, 175)); // nothing
        QTest::mouseClick(&graph, Qt::RightButton, {}, QPoint(458, 42)); // SRc, wrong button
        QTest::mouseClick(&graph, Qt::LeftButton, {}, QPoint(72, 37));   // S21A
        QCOMPARE(clicked.count(), 2);
        QCOMPARE(clicked.at(0).at(0).toInt(), int(kTermCrosstalk));
        QCOMPARE(clicked.at(1).at(0).toInt(), kTargetDut);

        // Pressed on one branch and released on another is no click.
        QTest::mousePress(&graph, Qt::LeftButton, {}, QPoint(373, 41));   // CTt
        QTest::mouseRelease(&graph, Qt::LeftButton, {}, QPoint(458, 42)); // SRc
        QCOMPARE(clicked.count(), 2);
    }

    // Each target once, by the left edge of its leftmost rectangle: on the source side NRc (17)
    // comes before SSr (65) and CRt (137) before CSm (155); on the load side 1+RCn2Tm (162)
    // before DCb2Tm (247) and CLm (278), which its lower rectangle does not change.
    void keyboardVisitsTargetsInReadingOrder() {
        QCOMPARE(
            GraphTargetsInReadingOrder(GraphSide::Source),
            (std::vector<int>{kTermReceiverNoise, kTermSourceUncertainty, kTermDirectivity,
                              kTermReflectionTracking, kTermSourceMatch, kTermCable1MagnitudeDrift,
                              kTermConnector1Reflection, kTermConnector1Transmission, kTargetDut}));
        QCOMPARE(
            GraphTargetsInReadingOrder(GraphSide::Load),
            (std::vector<int>{kTargetDut, kTermConnector2Reflection, kTermConnector2Transmission,
                              kTermCable2MagnitudeDrift, kTermLoadMatch, kTermTransmissionTracking,
                              kTermCrosstalk, kTermReceiverUncertainty, kTermReceiverNoise}));
    }

    void keysMoveAndOpen() {
        SignalFlowGraph graph(GraphSide::Source);
        QCOMPARE(graph.focusPolicy(), Qt::StrongFocus);
        QSignalSpy clicked(&graph, &SignalFlowGraph::targetClicked);
        QCOMPARE(graph.keyboardTarget(), int(kTermReceiverNoise));
        QTest::keyClick(&graph, Qt::Key_Left); // already at the first: stays
        QCOMPARE(graph.keyboardTarget(), int(kTermReceiverNoise));
        QTest::keyClick(&graph, Qt::Key_Right);
        QTest::keyClick(&graph, Qt::Key_Down);
        QCOMPARE(graph.keyboardTarget(), int(kTermDirectivity));
        QTest::keyClick(&graph, Qt::Key_Return);
        QTest::keyClick(&graph, Qt::Key_Up);
        QTest::keyClick(&graph, Qt::Key_Space);
        for (int i = 0; i < 12; ++i) // past the last: stays at the DUT
            QTest::keyClick(&graph, Qt::Key_Right);
        QTest::keyClick(&graph, Qt::Key_Enter);
        QCOMPARE(clicked.count(), 3);
        QCOMPARE(clicked.at(0).at(0).toInt(), int(kTermDirectivity));
        QCOMPARE(clicked.at(1).at(0).toInt(), int(kTermSourceUncertainty));
        QCOMPARE(clicked.at(2).at(0).toInt(), kTargetDut);
    }
};

QTEST_MAIN(SignalFlowGraphTest)
#include "signal_flow_graph_test.moc"
