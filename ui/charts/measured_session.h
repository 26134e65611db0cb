#pragma once

#include "engine/measured_dut.h"

#include <QObject>
#include <QString>

#include <memory>
#include <vector>

class QWidget;

namespace tolvane {

class ResultPresenter;

/// The measured DUT of the desktop program: the Touchstone file and the limits last opened, the
/// decision rule, and the computation that turns them into charts, as "Compute Configuration"
/// does: in replace mode the charts close first, the results go to the current result slot, and
/// the slot advances once the charts are shown.
class MeasuredSession : public QObject {
    Q_OBJECT
public:
    explicit MeasuredSession(ResultPresenter* presenter, QObject* parent = nullptr);

    /// "Open Measurement...": asks for a Touchstone file (Cancel does nothing), then
    /// openMeasurementFrom.
    void openMeasurement(QWidget* parent);
    /// "Open Limits...": asks for a limit file, then openLimitsFrom.
    void openLimits(QWidget* parent);

    /// Reads `path`; a refused file changes nothing. Then computes it. True when it was computed.
    bool openMeasurementFrom(const QString& path);
    /// Reads the limits of `path`; a refused file changes nothing. A measurement already open is
    /// computed again against them. True when the limits were read.
    bool openLimitsFrom(const QString& path);
    /// Forgets the limits; a measurement already open is computed again without them.
    void clearLimits();
    /// The rule of the next verdicts; a measurement already open is computed again.
    void setRule(DecisionRule rule);
    [[nodiscard]] DecisionRule rule() const { return rule_; }
    /// How the bounds are formed: the worst case (the start), RSS or Monte Carlo (10,000 trials a
    /// point, the default seed). A measurement already open is computed again; when that fails or
    /// is cancelled the method stays as it was, with the results shown, and false is returned.
    bool setMethod(UncertaintyMethod method);
    [[nodiscard]] UncertaintyMethod method() const { return method_; }

    /// Computes the open measurement with the current configuration into the current result
    /// slot and shows its charts. RSS and Monte Carlo run off the window's thread with progress
    /// and Cancel. False (nothing shown, the charts as they were) when no measurement is open,
    /// the computation failed (it has reported why) or was cancelled.
    bool compute();

    [[nodiscard]] bool hasMeasurement() const { return !measurement_.points.empty(); }
    /// The results of the last computation, or null.
    [[nodiscard]] std::shared_ptr<const MeasuredResults> results() const { return results_; }

private:
    [[nodiscard]] bool computeBounds(MeasuredResults* results);
    void showCharts(const std::shared_ptr<const MeasuredResults>& results);

    ResultPresenter* presenter_;
    Measurement measurement_;
    QString measurementName_;
    std::vector<Limit> limits_;
    QString limitsName_;
    DecisionRule rule_ = DecisionRule::Guarded;
    UncertaintyMethod method_ = UncertaintyMethod::WorstCase;
    std::shared_ptr<const MeasuredResults> results_;
};

} // namespace tolvane
