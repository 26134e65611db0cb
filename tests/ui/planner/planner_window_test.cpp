// The planner window: the defaults it proposes, a computed plan in its chart and table with the
// best value marked, and "Apply" writing a value into the configuration with the editor's checks.

#include "dialog_test_support.h"
#include "ui/planner/planner_window.h"

#include "engine/compute_model.h"
#include "engine/config.h"
#include "engine/program_state.h"
#include "files/config_file.h"
#include "files/database_file.h"
#include "files/startup.h"

#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTest>

#include <memory>

using namespace tolvane;
using namespace Qt::Literals::StringLiterals;
using testing::Child;

class PlannerWindowTest : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<testing::CapturedMessages> messages_;
    std::unique_ptr<PlannerWindow> window_;

    static ConfigInfo* config() { return GlobalProgramState().currentConfig; }
    QLineEdit* edit(const char* name) const { return Child<QLineEdit>(window_.get(), name); }
    QTableWidget* table(const char* name) const { return Child<QTableWidget>(window_.get(), name); }
    /// Chooses `quantity` (its title) and types `values` in place of its defaults.
    void plan(const QString& quantity, const QString& values = QString()) {
        auto* combo = Child<QComboBox>(window_.get(), "quantity");
        combo->setCurrentIndex(combo->findText(quantity));
        if (!values.isNull()) edit("values")->setText(values);
    }

private Q_SLOTS:
    void init() {
        SetCoverageTraceStream(nullptr);
        const std::string data = TOLVANE_SHIPPED_DATA_DIR;
        QCOMPARE(CreateProgramState(), 1);
        QCOMPARE(ReadUncertaintyFile((data + "/uncdata.unc").c_str()), 1);
        GlobalProgramState().currentConfig = CreateConfigInfo();
        QCOMPARE(ReadConfigFile(config(), (data + "/default.cfg").c_str()), 1);
        messages_ = std::make_unique<testing::CapturedMessages>();
        window_ = std::make_unique<PlannerWindow>();
    }
    void cleanup() {
        window_.reset();
        messages_.reset();
        ShutDown();
        SetCoverageTraceStream(stdout);
    }

    void proposesTheConfigurationsOwnValuesAndPoint() {
        QCOMPARE(window_->windowTitle(), u"Planner"_s);
        // The 26.5 GHz analyzer's IF bandwidths; a point at the highest frequency in the middle
        // of the reflection sweep.
        QVERIFY(edit("values")->text().startsWith(u"1.0, 3.0, 10.0"_s));
        QTableWidget* points = table("points");
        QCOMPARE(points->rowCount(), 1);
        QCOMPARE(points->item(0, 0)->text(), u"26.5"_s);
        QCOMPARE(points->item(0, 1)->text(), u"-20"_s);
        plan(u"Calibration Kit"_s);
        QCOMPARE(edit("values")->text(), u"3.5 mm Fixed Load SOLT, 3.5 mm Electronic"_s);
        QVERIFY(!Child<QComboBox>(window_.get(), "cable")->isEnabled());
    }

    void computesTheChartAndTableAndMarksTheBest() {
        plan(u"Averaging Factor"_s, u"1, 16, 1024"_s);
        Child<QCheckBox>(window_.get(), "targetEnabled")->setChecked(true);
        edit("target")->setText(u"100"_s);
        QVERIFY(window_->compute());
        QVERIFY(messages_->all().empty());
        QTableWidget* results = table("results");
        QCOMPARE(results->rowCount(), 3);
        QCOMPARE(results->columnCount(), 3); // value, the point, sweep time
        QCOMPARE(results->item(1, 0)->text(), u"16"_s);
        // Every value meets 100 dB; one average sweeps fastest.
        QCOMPARE(window_->bestValue(), std::optional<std::size_t>(0));
        QVERIFY(results->item(0, 1)->font().bold());
        QVERIFY(!results->item(1, 1)->font().bold());
        QVERIFY(Child<QLabel>(window_.get(), "best")
                    ->text()
                    .startsWith(u"Best for a target of 100 dB: 1 (sweep time"_s));
        // One curve for the point, the sweep time and the mark of the best value.
        const QChart* chart = Child<QChartView>(window_.get(), "chart")->chart();
        QCOMPARE(chart->series().size(), 3);
        QCOMPARE(chart->axes().size(), 3);
    }

    void applyWritesTheSelectedValueAsTheEditorWould() {
        plan(u"Averaging Factor"_s, u"1, 16"_s);
        QVERIFY(window_->compute());
        QSignalSpy changed(window_.get(), &PlannerWindow::configurationChanged);
        table("results")->selectRow(1);
        QVERIFY(window_->apply());
        int averages = 0;
        QVERIFY(GetConfigAverages(config(), &averages));
        QCOMPARE(averages, 16);
        QCOMPARE(changed.size(), 1);

        // A power the analyzer refuses: not computed, and Apply refused with the editor's message.
        plan(u"Port Power (dBm)"_s, u"20"_s);
        QVERIFY(window_->compute());
        QTableWidgetItem* cell = table("results")->item(0, 1);
        QCOMPARE(cell->text(), u"not computed"_s);
        QCOMPARE(cell->toolTip(), u"ComputeConfig: Port power is too large."_s);
        table("results")->selectRow(0);
        QVERIFY(!window_->apply());
        QCOMPARE(testing::ErrorTexts(*messages_),
                 QStringList{u"Port power is greater than the maximum of 10.0 dBm."_s});
        float powerDbm = 1;
        QVERIFY(GetConfigPower(config(), &powerDbm));
        QCOMPARE(powerDbm, 0.0f);
        QCOMPARE(changed.size(), 1);
    }

    void refusesWhatIsNotAPlan() {
        plan(u"Averaging Factor"_s, u"1, 2.5"_s);
        QVERIFY(!window_->compute());
        table("points")->item(0, 0)->setText(u"-3"_s);
        edit("values")->setText(u"1"_s);
        QVERIFY(!window_->compute());
        QCOMPARE(
            testing::ErrorTexts(*messages_),
            (QStringList{u"Invalid value \"2.5\"."_s, u"Invalid point of interest in row 1."_s}));
        QVERIFY(!testing::Button(window_.get(), u"Apply"_s)->isEnabled());
    }
};

QTEST_MAIN(PlannerWindowTest)
#include "planner_window_test.moc"
