#pragma once

#include "ui/charts/chart_drawing.h"
#include "ui/charts/chart_explanation.h"

#include <QList>
#include <QObject>
#include <QString>

#include <functional>
#include <optional>
#include <vector>

class QChart;
class QDialog;
class QMdiArea;
class QPrinter;
class QWidget;

namespace tolvane {

class PlotWindow;
class TaskControl;

/// Charts read and thinned off the window's thread, in the order a display shows them; an empty
/// entry is a chart that could not be read (and has been reported).
using PreparedCharts = std::vector<std::optional<PreparedChart>>;

/// How the results of one computation are shown, chosen by the DUT that was computed.
enum class ResultDisplay {
    Reflection,       ///< reflection-only DUT: magnitude and phase against the DUT's S11
    Transmission,     ///< transmission-only DUT: magnitude and phase against the DUT's S21
    UserDefinedList,  ///< user-defined DUT without sweep: the "User Defined DUT Results" list
    UserDefinedSweep, ///< user-defined DUT with its sweep on: four charts against frequency
};

/// The display for a DUT of `dutType` (1 reflection, 2 transmission, 3 user defined) whose
/// frequency sweep flag is `freqSweep`.
[[nodiscard]] ResultDisplay ResultDisplayFor(int dutType, int freqSweep);

/// The one owner of the steps every Compute button shares, of the replace mode and of the chart
/// windows. The main window makes one and hands it to both dialogs, whose Compute buttons call
/// computeConfiguration(this) or computeModel(this) and nothing else. Those run, in order:
///
///     ... compute into the current result slot (engine/compute_commands.h), off the window
///         thread with a progress dialog and Cancel (ui/background_task.h) ...
///     prepareComputation();                  // replace mode: close every chart
///     dialog->hide();                        // only when the computation succeeded
///     presentResults(ResultDisplayFor(dutType, freqSweep), dialog);   // charts, slot advance
///
/// A failed computation stops after the first step and leaves the slot and the count as they are.
/// A cancelled one leaves everything as it was before: the slot's results, the charts and the
/// subtitle.
class ResultPresenter : public QObject {
    Q_OBJECT
public:
    /// Charts become sub-windows of `area`.
    explicit ResultPresenter(QMdiArea* area, QObject* parent = nullptr);

    /// True while "Replace Existing Plot Windows" is checked: the program state's replace mode.
    [[nodiscard]] bool replaceMode() const;
    /// Checks or unchecks replace mode (SetResultReplaceMode).
    void setReplaceMode(bool replace);

    /// "Compute Configuration" on the current configuration, from the Configuration dialog. True
    /// when the results were computed and shown.
    bool computeConfiguration(QDialog* dialog);
    /// "Compute Model" on the current model (with the coverage factors of the configuration's
    /// DUT), from the Uncertainty Model dialog.
    bool computeModel(QDialog* dialog);

    /// First step of every computation: in replace mode, closes every chart.
    void prepareComputation();
    /// Last step of a successful computation into the current result slot: shows its results
    /// (charts, then tiles them; or the results list, modal over `listOwner`) and advances the
    /// current result slot and the result count. The charts are those of `prepared` when it has
    /// them (prepareCharts), else read now.
    void presentResults(ResultDisplay display, QWidget* listOwner, PreparedCharts prepared = {});

    /// Reads and thins the charts of `display` from the current result slot, on any thread (a
    /// failed chart is reported and left empty); stops early on Cancel.
    [[nodiscard]] static PreparedCharts prepareCharts(ResultDisplay display,
                                                      const TaskControl& control);

    /// Makes one chart of `kind` (1 to 4; 5 or 6 with `quantity` 1 to 4) from the current result
    /// slot and adds its record to the plot list. Null after reporting when the record cannot be
    /// made or the results cannot be read.
    PlotWindow* createPlot(int kind, int quantity = 0);

    /// Shows `chart` (built by its creator) in a new chart window that reads `content` (see
    /// PlotWindow) and adds its record to the plot list. Null after reporting when the record
    /// cannot be made; the chart is then deleted.
    PlotWindow* addChart(QChart* chart, const ChartContent& content);
    /// Last step of a computation that made its own charts (a measured DUT): tiles them and
    /// advances the current result slot and the result count.
    void finishPresentation();

    /// The open charts in plot-list order.
    [[nodiscard]] QList<PlotWindow*> charts() const;
    void tileCharts();
    void cascadeCharts();
    /// Closes every chart; their records leave the plot list.
    void closeAllCharts();
    /// Prints every open chart in plot-list order, one 8 × 6 inch page each, on a printer that has
    /// not begun printing. The pages are drawn one by one on the window thread (QtCharts draws
    /// there only) with the windows repainting in between, and a progress dialog over
    /// `progressParent` with Cancel once it takes 0.3 s. Returns the number of pages printed; 0
    /// after Cancel, which aborts the print job.
    int printCharts(QPrinter* printer, QWidget* progressParent = nullptr);

    /// The caption of the charts made from now on: `setUp` (DescribeSetUp of what was
    /// computed) and the time of the computation.
    void setCaption(const QString& setUp);
    [[nodiscard]] const QString& caption() const { return caption_; }

private:
    /// The chart of `kind` read from the current result slot and thinned; nothing after
    /// reporting when it cannot be read.
    [[nodiscard]] static std::optional<PreparedChart> readChart(int kind, int quantity);
    /// Shows a chart read by readChart; null (after reporting) without one or a plot record.
    PlotWindow* showPlot(int kind, std::optional<PreparedChart> prepared);
    /// Runs `compute` (into the current slot) off the window thread, then, unless Cancel was
    /// pressed, the first step and, on success, the last, the charts' caption being `setUp()`.
    bool computeAndPresent(QDialog* dialog, ResultDisplay display,
                           const std::function<bool()>& compute,
                           const std::function<QString()>& setUp);

    QMdiArea* area_;
    /// The model of the computation being shown, kept by its charts to explain their points.
    ComputedModel computedModel_;
    /// The model a computation in progress keeps, until its charts are made.
    ComputedModel pendingModel_;
    QString caption_;
};

} // namespace tolvane
