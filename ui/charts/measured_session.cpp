#include "ui/charts/measured_session.h"

#include "engine/plot_info.h"
#include "engine/program_state.h"
#include "files/limit_file.h"
#include "files/touchstone_file.h"
#include "ui/background_task.h"
#include "ui/busy_cursor.h"
#include "ui/charts/measured_chart.h"
#include "ui/charts/plot_window.h"
#include "ui/charts/result_presenter.h"
#include "ui/help/help.h"

#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>

#include <algorithm>
#include <utility>

namespace tolvane {
namespace {

/// An existing file, from Qt's own file dialog: it carries a Help button that opens the topic on
/// measured DUTs and limits.
QString AskForFile(QWidget* parent, const QString& caption, const QString& filter) {
    QFileDialog dialog(parent, caption, QString(), filter);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    if (auto* buttons = dialog.findChild<QDialogButtonBox*>()) {
        buttons->addButton(QDialogButtonBox::Help);
        QObject::connect(buttons, &QDialogButtonBox::helpRequested, &dialog,
                         [&dialog] { ShowHelpTopic(&dialog, kHelpMeasuredDut); });
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().constFirst();
}

} // namespace

MeasuredSession::MeasuredSession(ResultPresenter* presenter, QObject* parent)
    : QObject(parent), presenter_(presenter) {}

void MeasuredSession::openMeasurement(QWidget* parent) {
    const QString path = AskForFile(
        parent, QStringLiteral("Open Measurement"),
        QStringLiteral("Touchstone files (*.s1p *.s2p *.S1P *.S2P *.ts);;All files (*)"));
    if (!path.isEmpty()) (void)openMeasurementFrom(path);
}

void MeasuredSession::openLimits(QWidget* parent) {
    const QString path = AskForFile(parent, QStringLiteral("Open Limits"),
                                    QStringLiteral("Limit files (*.lim *.LIM);;All files (*)"));
    if (!path.isEmpty()) (void)openLimitsFrom(path);
}

bool MeasuredSession::openMeasurementFrom(const QString& path) {
    Measurement read;
    {
        const BusyCursor busy;
        if (ReadTouchstoneFile(QFile::encodeName(path).constData(), &read) == 0) return false;
    }
    measurement_ = std::move(read);
    measurementName_ = QFileInfo(path).fileName();
    return compute();
}

bool MeasuredSession::openLimitsFrom(const QString& path) {
    std::vector<Limit> read;
    if (ReadLimitFile(QFile::encodeName(path).constData(), &read) == 0) return false;
    limits_ = std::move(read);
    limitsName_ = QFileInfo(path).fileName();
    if (hasMeasurement()) (void)compute();
    return true;
}

void MeasuredSession::clearLimits() {
    limits_.clear();
    limitsName_.clear();
    if (hasMeasurement()) (void)compute();
}

void MeasuredSession::setRule(DecisionRule rule) {
    if (rule == rule_) return;
    rule_ = rule;
    if (hasMeasurement()) (void)compute();
}

bool MeasuredSession::setMethod(UncertaintyMethod method) {
    if (method == method_) return true;
    const UncertaintyMethod previous = std::exchange(method_, method);
    if (!hasMeasurement() || compute()) return true;
    method_ = previous;
    return false;
}

bool MeasuredSession::computeBounds(MeasuredResults* results) {
    const ConfigInfo* config = GlobalProgramState().currentConfig;
    if (method_ == UncertaintyMethod::WorstCase) {
        const BusyCursor busy;
        return ComputeMeasuredCommand(config, measurement_, limits_, rule_, results) != 0;
    }
    MethodOptions options;
    options.method = method_;
    int computed = 0;
    const bool completed =
        RunInBackground(qobject_cast<QWidget*>(parent()),
                        QStringLiteral("Computing the %1 bounds of the measurement...")
                            .arg(method_ == UncertaintyMethod::Rss ? QStringLiteral("RSS")
                                                                   : QStringLiteral("Monte Carlo")),
                        [&](TaskControl& control) {
                            options.progress = [&control](long long done, long long total) {
                                control.setProgress(double(done) / double(std::max(total, 1LL)));
                                return !control.cancelRequested();
                            };
                            computed = ComputeMeasuredCommand(config, measurement_, limits_, rule_,
                                                              results, options);
                        });
    if (!completed || computed == 0) return false;
    // The charts and the table say whose bounds they show.
    results->setUp +=
        method_ == UncertaintyMethod::Rss ? " / RSS bounds" : " / Monte Carlo 95 % bounds";
    return true;
}

bool MeasuredSession::compute() {
    if (!hasMeasurement()) return false;
    auto results = std::make_shared<MeasuredResults>();
    if (!computeBounds(results.get())) return false;
    presenter_->prepareComputation();
    results->measurementName = measurementName_.toStdString();
    results->limitsName = limitsName_.toStdString();
    SetCurrentMeasuredResults(results);
    results_ = results;
    showCharts(results_);
    return true;
}

void MeasuredSession::showCharts(const std::shared_ptr<const MeasuredResults>& results) {
    const BusyCursor busy;
    // Each chart keeps the results its read-outs describe.
    const auto show = [&](const MeasuredChartData& data, SParameter parameter, bool phase) {
        PlotWindow* window =
            presenter_->addChart(BuildMeasuredChart(data, MeasuredChartTitle(data, *results)),
                                 MeasuredChartContent(*results, parameter, phase));
        if (window != nullptr)
            window->setPointReadout([results, parameter, phase](const ChartPoint& point) {
                return MeasuredPointReadout(*results, parameter, phase, point.index);
            });
    };
    for (SParameter parameter : kAllSParameters) {
        if (!results->has(parameter)) continue;
        show(MeasuredMagnitudeChartData(*results, parameter, limits_), parameter, false);
        show(MeasuredPhaseChartData(*results, parameter), parameter, true);
    }
    presenter_->finishPresentation();
}

} // namespace tolvane
