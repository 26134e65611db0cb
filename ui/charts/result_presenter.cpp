#include "ui/charts/result_presenter.h"

#include "components/dut.h"
#include "engine/compute_commands.h"
#include "engine/config.h"
#include "engine/model.h"
#include "engine/plot_info.h"
#include "engine/program_state.h"
#include "engine/set_up_caption.h"
#include "engine/uncertainty.h"
#include "files/platform_files.h"
#include "ui/background_task.h"
#include "ui/busy_cursor.h"
#include "ui/charts/plot_window.h"
#include "ui/charts/user_dut_results_dialog.h"

#include <QChart>
#include <QDateTime>
#include <QDialog>
#include <QFile>
#include <QMdiArea>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPointer>
#include <QPrinter>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <utility>

namespace tolvane {
namespace {

// A new plot record in the program's list of plots, for a chart window to own; null when it
// cannot be made (reported when the list refuses it).
PlotInfo* NewListedPlotRecord() {
    PlotInfo* record = CreatePlotInfo();
    if (record == nullptr) return nullptr;
    if (AddInfoListItem(GlobalProgramState().plots, record) == 0) {
        ReportPlotError(MakeErrorCode(kPlotMsgCalledRoutine, kRoutineCreatePlot));
        (void)DestroyPlotInfo(record);
        return nullptr;
    }
    return record;
}

// The type and sweep flag of `dut`; false after the DUT module has reported.
bool ReadDisplay(const DUTInfo* dut, ResultDisplay* display) {
    int type = 0;
    int sweep = 0;
    if (GetDUTType(dut, &type) == 0 || GetDUTFreqSweep(dut, &sweep) == 0) return false;
    *display = ResultDisplayFor(type, sweep);
    return true;
}

QString PlotSubtitle() {
    return QString::fromStdString(GlobalProgramState().plotSubtitle);
}

struct ChartRequest {
    int kind = 0;
    int quantity = 0;
};

// The charts of a display, in the order they are made.
QList<ChartRequest> ChartsOf(ResultDisplay display) {
    switch (display) {
    case ResultDisplay::Reflection:
        return {{kPlotReflectionMagnitude, 0}, {kPlotReflectionPhase, 0}};
    case ResultDisplay::Transmission:
        return {{kPlotTransmissionMagnitude, 0}, {kPlotTransmissionPhase, 0}};
    case ResultDisplay::UserDefinedSweep:
        return {{kPlotFrequencyMagnitude, kQuantityReflectionMagnitude},
                {kPlotFrequencyPhase, kQuantityReflectionPhase},
                {kPlotFrequencyMagnitude, kQuantityTransmissionMagnitude},
                {kPlotFrequencyPhase, kQuantityTransmissionPhase}};
    case ResultDisplay::UserDefinedList:
        break;
    }
    return {};
}

} // namespace

ResultDisplay ResultDisplayFor(int dutType, int freqSweep) {
    switch (dutType) {
    case DUT_REFLECTION_ONLY:
        return ResultDisplay::Reflection;
    case DUT_TRANSMISSION_ONLY:
        return ResultDisplay::Transmission;
    default:
        return freqSweep != 0 ? ResultDisplay::UserDefinedSweep : ResultDisplay::UserDefinedList;
    }
}

ResultPresenter::ResultPresenter(QMdiArea* area, QObject* parent) : QObject(parent), area_(area) {}

bool ResultPresenter::replaceMode() const {
    return GlobalProgramState().replaceResults;
}

void ResultPresenter::setReplaceMode(bool replace) {
    SetResultReplaceMode(replace);
}

bool ResultPresenter::computeConfiguration(QDialog* dialog) {
    ConfigInfo* config = GlobalProgramState().currentConfig;
    DUTInfo* dut = nullptr;
    ResultDisplay display = ResultDisplay::Reflection;
    if (GetConfigDUT(config, &dut) == 0 || !ReadDisplay(dut, &display)) {
        prepareComputation();
        SetCurrentMeasuredResults(nullptr);
        return false;
    }
    return computeAndPresent(
        dialog, display,
        [this, config] {
            if (ComputeConfigurationCommand(config) == 0) return false;
            pendingModel_ = KeepComputedModel(ConfigurationCommandModel(config));
            return true;
        },
        [config] { return QString::fromStdString(DescribeSetUp(*config)); });
}

bool ResultPresenter::computeModel(QDialog* dialog) {
    ProgramState& state = GlobalProgramState();
    // The coverage factors the command copies in do not change the DUT's type or sweep.
    void* dut = nullptr;
    ResultDisplay display = ResultDisplay::Reflection;
    if (GetModelComponent(state.currentModel, kModelDUT, &dut) == 0 ||
        !ReadDisplay(static_cast<const DUTInfo*>(dut), &display)) {
        prepareComputation();
        SetCurrentMeasuredResults(nullptr);
        return false;
    }
    return computeAndPresent(
        dialog, display,
        [this, &state] {
            if (ComputeModelCommand(state.currentModel, state.currentConfig) == 0) return false;
            pendingModel_ =
                KeepComputedModel(ModelCommandModel(state.currentModel, state.currentConfig));
            return true;
        },
        // After the computation: k is the configuration DUT's, copied into the model.
        [&state] { return QString::fromStdString(DescribeSetUp(*state.currentModel)); });
}

bool ResultPresenter::computeAndPresent(QDialog* dialog, ResultDisplay display,
                                        const std::function<bool()>& compute,
                                        const std::function<QString()>& setUp) {
    // The computation fills the current slot off the window thread; what the slot held waits
    // aside, so that Cancel puts it back as it was, with the charts and the subtitle.
    ProgramState& state = GlobalProgramState();
    UncertaintyInfo* slot = CurrentResult();
    const std::unique_ptr<UncertaintyInfo, int (*)(UncertaintyInfo*)> previous(
        CreateUncertaintyInfo(), DestroyUncertaintyInfo);
    if (slot == nullptr || previous == nullptr) {
        prepareComputation();
        SetCurrentMeasuredResults(nullptr);
        return false;
    }
    std::swap(*slot, *previous);
    const std::string previousSubtitle = state.plotSubtitle;
    bool computed = false;
    // The charts are read and thinned in the same task: at thousands of frequencies that takes
    // as long as the computation, and Cancel meanwhile still keeps the previous charts.
    PreparedCharts prepared;
    if (!RunInBackground(dialog, QStringLiteral("Computing the uncertainties..."),
                         [&](TaskControl& control) {
                             computed = compute();
                             if (computed) prepared = prepareCharts(display, control);
                         })) {
        std::swap(*slot, *previous);
        state.plotSubtitle = previousSubtitle;
        return false;
    }
    prepareComputation();
    SetCurrentMeasuredResults(nullptr);
    computedModel_ = std::exchange(pendingModel_, nullptr);
    if (!computed) return false;
    setCaption(setUp());
    dialog->hide();
    presentResults(display, dialog, std::move(prepared));
    return true;
}

void ResultPresenter::setCaption(const QString& setUp) {
    caption_ = setUp + QStringLiteral(" | computed ") +
               QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm"));
}

void ResultPresenter::prepareComputation() {
    computedModel_.reset();
    if (replaceMode()) closeAllCharts();
}

void ResultPresenter::presentResults(ResultDisplay display, QWidget* listOwner,
                                     PreparedCharts prepared) {
    if (display == ResultDisplay::UserDefinedList) {
        UserDutResultsDialog dialog(CurrentResult(), listOwner);
        dialog.exec();
        AdvanceResultSlot();
        return;
    }
    // Charts of thousands of curves or points take a moment to build.
    const BusyCursor busy;
    const QList<ChartRequest> requests = ChartsOf(display);
    for (qsizetype k = 0; k < requests.size(); ++k) {
        if (std::size_t(k) < prepared.size())
            (void)showPlot(requests[k].kind, std::move(prepared[std::size_t(k)]));
        else
            (void)createPlot(requests[k].kind, requests[k].quantity);
    }
    tileCharts();
    AdvanceResultSlot();
}

PreparedCharts ResultPresenter::prepareCharts(ResultDisplay display, const TaskControl& control) {
    PreparedCharts prepared;
    for (const ChartRequest& request : ChartsOf(display)) {
        if (control.cancelRequested()) break;
        prepared.push_back(readChart(request.kind, request.quantity));
    }
    return prepared;
}

std::optional<PreparedChart> ResultPresenter::readChart(int kind, int quantity) {
    ChartContent content;
    const QString subtitle = PlotSubtitle();
    try {
        const bool read =
            kind >= kPlotFrequencyMagnitude
                ? ReadFrequencyChart(CurrentResult(), kind, quantity, subtitle, &content)
                : ReadDutValueChart(CurrentResult(), kind, subtitle, &content);
        if (!read) return std::nullopt;
        return PrepareChart(std::move(content));
    } catch (const std::bad_alloc&) {
        // The readers refuse a chart beyond the memory left; memory taken meanwhile by others
        // still makes no chart rather than ending the program.
        ReportPlotError(MakeErrorCode(kPlotMsgAllocation, kRoutineDrawPlot));
        return std::nullopt;
    }
}

PlotWindow* ResultPresenter::createPlot(int kind, int quantity) {
    return showPlot(kind, readChart(kind, quantity));
}

PlotWindow* ResultPresenter::showPlot(int kind, std::optional<PreparedChart> prepared) {
    // An unreadable result makes no chart: an empty window would only hide the failure.
    if (!prepared) return nullptr;
    PlotInfo* record = NewListedPlotRecord();
    if (record == nullptr) return nullptr;
    prepared->content.caption = caption_;
    prepared->content.resultSlot = GlobalProgramState().currentResultSlot;
    // Kept results (replace mode off) sit side by side: each chart names its slot.
    prepared->content.namesResultSlot = !replaceMode();
    auto* window = new PlotWindow(std::move(*prepared), record);
    window->setComputedModel(computedModel_);
    area_->addSubWindow(window);
    window->show();
    const int offset = PlotWindow::kOffsetPerKind * kind;
    window->setGeometry(offset, offset, PlotWindow::kWidth, PlotWindow::kHeight);
    return window;
}

PlotWindow* ResultPresenter::addChart(QChart* chart, const ChartContent& content) {
    PlotInfo* record = NewListedPlotRecord();
    if (record == nullptr) {
        delete chart;
        return nullptr;
    }
    auto* window = new PlotWindow(chart, content, record);
    area_->addSubWindow(window);
    window->show();
    return window;
}

void ResultPresenter::finishPresentation() {
    tileCharts();
    AdvanceResultSlot();
}

QList<PlotWindow*> ResultPresenter::charts() const {
    QList<PlotWindow*> windows;
    const InfoList* plots = GlobalProgramState().plots;
    const int count = GetInfoListCount(plots);
    for (int i = 0; i < count; ++i) {
        auto* record = GetInfoListRecord<PlotInfo>(plots, i);
        windows.append(static_cast<PlotWindow*>(record->chartWindow));
    }
    return windows;
}

void ResultPresenter::tileCharts() {
    const QList<PlotWindow*> windows = charts();
    if (windows.isEmpty()) return;
    // A grid of near-square cells filled row by row in plot-list order; the windows of a short
    // last row share its whole width, so the tiles cover the area without a gap.
    const auto count = int(windows.size());
    const int columns = int(std::ceil(std::sqrt(double(count))));
    const int rows = (count + columns - 1) / columns;
    const QRect area = area_->viewport()->rect();
    for (int row = 0; row < rows; ++row) {
        const int first = row * columns;
        const int inRow = std::min(columns, count - first);
        const int top = area.top() + area.height() * row / rows;
        const int bottom = area.top() + area.height() * (row + 1) / rows;
        for (int column = 0; column < inRow; ++column) {
            const int left = area.left() + area.width() * column / inRow;
            const int right = area.left() + area.width() * (column + 1) / inRow;
            PlotWindow* window = windows[first + column];
            if (window->isMinimized() || window->isMaximized()) window->showNormal();
            window->setGeometry(left, top, right - left, bottom - top);
        }
    }
}

void ResultPresenter::cascadeCharts() {
    // The area cascades in creation order, which is the plot list's order.
    if (!charts().isEmpty()) area_->cascadeSubWindows();
}

void ResultPresenter::closeAllCharts() {
    // Each window's destruction takes its record out of the plot list.
    for (PlotWindow* window : charts())
        delete window;
}

namespace {

/// A PDF is printed into a temporary file beside the file chosen, which takes that file's place
/// only when every page is there: a cancelled or failed print leaves an earlier file of that name
/// as it was, and no partial new one. A device, or a place no temporary file can be made, is
/// printed into directly.
class PrintedFile {
public:
    explicit PrintedFile(QPrinter* printer) : printer_(printer) {
        const QString chosen = printer->outputFileName();
        if (chosen.isEmpty() || printer->outputFormat() != QPrinter::PdfFormat) return;
        std::string target;
        switch (platform::InspectSaveTarget(QFile::encodeName(chosen).toStdString(), &target)) {
        case platform::SaveTarget::NewFile:
        case platform::SaveTarget::RegularFile:
            break;
        default:
            return;
        }
        std::string temporary;
        std::FILE* file = platform::CreateTemporaryBeside(target, &temporary);
        if (file == nullptr) return;
        std::fclose(file);
        chosen_ = chosen;
        target_ = target;
        temporary_ = temporary;
        printer_->setOutputFileName(QFile::decodeName(temporary.c_str()));
    }
    ~PrintedFile() {
        if (temporary_.empty()) return;
        std::remove(temporary_.c_str());
        printer_->setOutputFileName(chosen_);
    }
    PrintedFile(const PrintedFile&) = delete;
    PrintedFile& operator=(const PrintedFile&) = delete;

    /// Once the printer has written the whole file: puts it in place. False when it cannot.
    [[nodiscard]] bool commit() {
        if (temporary_.empty()) return true;
        if (!platform::ReplaceWith(temporary_, target_)) return false;
        temporary_.clear();
        printer_->setOutputFileName(chosen_);
        return true;
    }

private:
    QPrinter* printer_;
    QString chosen_;
    std::string target_;
    std::string temporary_;
};

} // namespace

int ResultPresenter::printCharts(QPrinter* printer, QWidget* progressParent) {
    QList<QPointer<PlotWindow>> windows;
    for (PlotWindow* window : charts())
        windows.append(window);
    if (windows.isEmpty()) return 0;
    printer->setPageLayout(QPageLayout(QPageSize(QSizeF(8.0, 6.0), QPageSize::Inch),
                                       QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
    PrintedFile file(printer);
    QPainter painter;
    if (!painter.begin(printer)) return 0;
    const QRectF page = printer->pageLayout().paintRectPixels(printer->resolution());
    const auto count = int(windows.size());
    const int pages = RunStepsOnWindowThread(
        progressParent, QStringLiteral("Printing the plots..."), count, [&](int k) {
            if (k > 0 && !printer->newPage()) return false;
            // Closing is held back while printing; the check keeps a page from a gone chart.
            if (windows[k].isNull()) return false;
            windows[k]->renderChart(&painter, QRectF(QPointF(0, 0), page.size()));
            return true;
        });
    if (pages < count) {
        (void)printer->abort();
        return 0;
    }
    if (!painter.end() || !file.commit()) return 0;
    return pages;
}

} // namespace tolvane
