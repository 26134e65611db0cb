#include "ui/planner/planner_window.h"

#include "components/dut.h"
#include "core/message_sink.h"
#include "core/units.h"
#include "engine/config.h"
#include "engine/plan_values.h"
#include "engine/program_state.h"
#include "ui/busy_cursor.h"
#include "ui/help/help.h"
#include "ui/number_text.h"
#include "ui/planner/planner_chart.h"

#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>

#include <cmath>

namespace tolvane {
namespace {

constexpr PlanQuantity kQuantities[] = {PlanQuantity::IFBandwidth, PlanQuantity::Averaging,
                                        PlanQuantity::PortPower,   PlanQuantity::CableLength,
                                        PlanQuantity::CalKit,      PlanQuantity::Analyzer};

enum PointColumn { kFrequencyColumn, kDutColumn, kMeasurementColumn };

QString Text(std::string_view text) {
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

QString ValueText(PlanQuantity quantity, const PlanValue& value) {
    return QString::fromStdString(PlanValueText(quantity, value));
}

ConfigInfo* Configuration() {
    return GlobalProgramState().currentConfig;
}

/// A number typed in a field, the whole text (the point always the decimal point).
std::optional<double> FieldNumber(const QString& text) {
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(value)) return std::nullopt;
    return value;
}

/// A point of interest for the configuration as it stands: its highest frequency and the middle
/// of its DUT sweep, measured as its DUT is.
PlanPoint ProposedPoint(const ConfigInfo* config) {
    PlanPoint point{1.0 * kHzPerGHz, -20.0f, DefaultPlanPort(config)};
    int numFreqs = 0;
    double frequencyHz = 0.0;
    if (config != nullptr && GetConfigNumFreqs(config, &numFreqs) && numFreqs > 0 &&
        GetConfigFreq(config, numFreqs - 1, &frequencyHz) && frequencyHz > 0.0)
        point.frequencyHz = frequencyHz;
    DUTInfo* dut = nullptr;
    float low = 0.0f, high = 0.0f;
    if (config == nullptr || !GetConfigDUT(config, &dut)) return point;
    const bool read = point.port == PlanPort::Transmission
                          ? GetDUTTransMin(dut, &low) && GetDUTTransMax(dut, &high)
                          : GetDUTReflMin(dut, &low) && GetDUTReflMax(dut, &high);
    if (read) point.dutDb = std::round((low + high) / 2.0f);
    return point;
}

QTableWidgetItem* ReadOnlyItem(const QString& text) {
    auto* item = new QTableWidgetItem(text);
    item->setFlags(item->flags() & ~Qt::ItemIsEditable);
    return item;
}

} // namespace

PlannerWindow::PlannerWindow(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Planner"));
    setObjectName(QStringLiteral("Planner"));
    createControls();
    refresh();
}

void PlannerWindow::createControls() {
    quantityCombo_ = new QComboBox;
    quantityCombo_->setObjectName(QStringLiteral("quantity"));
    for (const PlanQuantity quantity : kQuantities)
        quantityCombo_->addItem(Text(PlanQuantityTitle(quantity)), int(quantity));
    cableCombo_ = new QComboBox;
    cableCombo_->setObjectName(QStringLiteral("cable"));
    cableCombo_->addItem(QStringLiteral("Both Cables"), int(PlanCable::Both));
    cableCombo_->addItem(QStringLiteral("Cable on Port 1"), int(PlanCable::Cable1));
    cableCombo_->addItem(QStringLiteral("Cable on Port 2"), int(PlanCable::Cable2));
    valuesEdit_ = new QLineEdit;
    valuesEdit_->setObjectName(QStringLiteral("values"));
    valuesEdit_->setToolTip(QStringLiteral("Values separated by commas"));
    auto* defaultsButton = new QPushButton(QStringLiteral("Default Values"));
    connect(defaultsButton, &QPushButton::clicked, this, &PlannerWindow::quantityChanged);
    connect(quantityCombo_, &QComboBox::currentIndexChanged, this, &PlannerWindow::quantityChanged);

    auto* varied = new QGroupBox(QStringLiteral("Varied Quantity"));
    auto* variedForm = new QFormLayout(varied);
    variedForm->addRow(QStringLiteral("Quantity"), quantityCombo_);
    variedForm->addRow(QStringLiteral("Cable"), cableCombo_);
    variedForm->addRow(QStringLiteral("Values"), valuesEdit_);
    variedForm->addRow(QString(), defaultsButton);

    pointsTable_ = new QTableWidget(0, 3);
    pointsTable_->setObjectName(QStringLiteral("points"));
    pointsTable_->setHorizontalHeaderLabels({QStringLiteral("Frequency (GHz)"),
                                             QStringLiteral("DUT (dB)"),
                                             QStringLiteral("Measurement")});
    pointsTable_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    pointsTable_->horizontalHeader()->setStretchLastSection(true);
    pointsTable_->verticalHeader()->setVisible(false);
    pointsTable_->setMinimumHeight(150);
    addPointButton_ = new QPushButton(QStringLiteral("Add Point"));
    removePointButton_ = new QPushButton(QStringLiteral("Remove Point"));
    connect(addPointButton_, &QPushButton::clicked, this, [this] {
        const PlanPoint point = ProposedPoint(Configuration());
        addPoint(point.frequencyHz / kHzPerGHz, point.dutDb, point.port);
    });
    connect(removePointButton_, &QPushButton::clicked, this, [this] {
        const int row = pointsTable_->currentRow() >= 0 ? pointsTable_->currentRow()
                                                        : pointsTable_->rowCount() - 1;
        if (row >= 0 && pointsTable_->rowCount() > 1) pointsTable_->removeRow(row);
        addPointButton_->setEnabled(pointsTable_->rowCount() < int(kMaxPlanPoints));
    });
    auto* points = new QGroupBox(QStringLiteral("Points of Interest"));
    auto* pointsLayout = new QVBoxLayout(points);
    pointsLayout->addWidget(pointsTable_);
    auto* pointButtons = new QHBoxLayout;
    pointButtons->addWidget(addPointButton_);
    pointButtons->addWidget(removePointButton_);
    pointsLayout->addLayout(pointButtons);

    targetCheck_ = new QCheckBox(QStringLiteral("Target (dB)"));
    targetCheck_->setObjectName(QStringLiteral("targetEnabled"));
    targetEdit_ = new QLineEdit(QStringLiteral("0.5"));
    targetEdit_->setObjectName(QStringLiteral("target"));
    targetEdit_->setEnabled(false);
    connect(targetCheck_, &QCheckBox::toggled, targetEdit_, &QLineEdit::setEnabled);
    auto* target = new QGroupBox(QStringLiteral("Target"));
    auto* targetLayout = new QVBoxLayout(target);
    auto* targetRow = new QHBoxLayout;
    targetRow->addWidget(targetCheck_);
    targetRow->addWidget(targetEdit_);
    targetLayout->addLayout(targetRow);
    auto* targetNote = new QLabel(
        QStringLiteral("The smallest sweep time whose uncertainty is at most the target at "
                       "every point."));
    targetNote->setWordWrap(true);
    targetLayout->addWidget(targetNote);

    auto* controls = new QWidget;
    controls->setMinimumWidth(380);
    auto* controlsLayout = new QVBoxLayout(controls);
    controlsLayout->setContentsMargins(0, 0, 0, 0);
    controlsLayout->addWidget(varied);
    controlsLayout->addWidget(points);
    controlsLayout->addWidget(target);
    controlsLayout->addStretch();

    chart_ = new QChart;
    chart_->legend()->setAlignment(Qt::AlignBottom);
    auto* chartView = new QChartView(chart_);
    chartView->setObjectName(QStringLiteral("chart"));
    chartView->setRenderHint(QPainter::Antialiasing);
    chartView->setMinimumSize(560, 420);
    resultTable_ = new QTableWidget;
    resultTable_->setObjectName(QStringLiteral("results"));
    resultTable_->setSelectionBehavior(QAbstractItemView::SelectRows);
    resultTable_->setSelectionMode(QAbstractItemView::SingleSelection);
    resultTable_->verticalHeader()->setVisible(false);
    bestLabel_ = new QLabel;
    bestLabel_->setObjectName(QStringLiteral("best"));
    bestLabel_->setWordWrap(true);
    auto* note = new QLabel(QStringLiteral(
        "Sweep times are estimates from the analyzer's settling factor and time per point."));
    note->setWordWrap(true);

    auto* outcome = new QSplitter(Qt::Vertical);
    outcome->addWidget(chartView);
    outcome->addWidget(resultTable_);
    outcome->setStretchFactor(0, 3);
    outcome->setStretchFactor(1, 2);
    outcome->setSizes({480, 220});
    auto* right = new QWidget;
    auto* rightLayout = new QVBoxLayout(right);
    rightLayout->setContentsMargins(0, 0, 0, 0);
    rightLayout->addWidget(outcome);
    rightLayout->addWidget(bestLabel_);
    rightLayout->addWidget(note);

    auto* buttons = new QDialogButtonBox;
    auto* computeButton =
        buttons->addButton(QStringLiteral("Compute"), QDialogButtonBox::ActionRole);
    computeButton->setDefault(true);
    applyButton_ = buttons->addButton(QStringLiteral("Apply"), QDialogButtonBox::ApplyRole);
    applyButton_->setEnabled(false);
    auto* helpButton = buttons->addButton(QStringLiteral("Help"), QDialogButtonBox::HelpRole);
    auto* closeButton = buttons->addButton(QStringLiteral("Close"), QDialogButtonBox::RejectRole);
    connect(computeButton, &QPushButton::clicked, this, &PlannerWindow::compute);
    connect(applyButton_, &QPushButton::clicked, this, &PlannerWindow::apply);
    connect(helpButton, &QPushButton::clicked, this, [this] { ShowHelpTopic(this, kHelpPlanner); });
    connect(closeButton, &QPushButton::clicked, this, &QDialog::hide);

    auto* split = new QSplitter(Qt::Horizontal);
    split->addWidget(controls);
    split->addWidget(right);
    split->setStretchFactor(1, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(split);
    layout->addWidget(buttons);
    resize(1240, 820);
}

void PlannerWindow::refresh() {
    quantityChanged();
    // Before start-up has read a configuration there is nothing to propose a point from.
    if (pointsTable_->rowCount() == 0 && Configuration() != nullptr) {
        const PlanPoint point = ProposedPoint(Configuration());
        addPoint(point.frequencyHz / kHzPerGHz, point.dutDb, point.port);
    }
}

void PlannerWindow::quantityChanged() {
    const auto quantity = PlanQuantity(quantityCombo_->currentData().toInt());
    cableCombo_->setEnabled(quantity == PlanQuantity::CableLength);
    QStringList texts;
    if (const ConfigInfo* config = Configuration())
        for (const PlanValue& value : DefaultPlanValues(config, quantity))
            texts << ValueText(quantity, value);
    valuesEdit_->setText(texts.join(QStringLiteral(", ")));
}

void PlannerWindow::addPoint(double frequencyGHz, double dutDb, PlanPort port) {
    if (pointsTable_->rowCount() >= int(kMaxPlanPoints)) return;
    const int row = pointsTable_->rowCount();
    pointsTable_->insertRow(row);
    pointsTable_->setItem(row, kFrequencyColumn,
                          new QTableWidgetItem(QString::number(frequencyGHz, 'g', 10)));
    pointsTable_->setItem(row, kDutColumn, new QTableWidgetItem(QString::number(dutDb, 'g', 8)));
    auto* measurement = new QComboBox;
    measurement->addItems({QStringLiteral("S11"), QStringLiteral("S21")});
    measurement->setCurrentIndex(port == PlanPort::Transmission ? 1 : 0);
    pointsTable_->setCellWidget(row, kMeasurementColumn, measurement);
    addPointButton_->setEnabled(pointsTable_->rowCount() < int(kMaxPlanPoints));
}

std::optional<Plan> PlannerWindow::readPlan() {
    Plan plan;
    plan.quantity = PlanQuantity(quantityCombo_->currentData().toInt());
    plan.cable = PlanCable(cableCombo_->currentData().toInt());
    const QStringList texts = valuesEdit_->text().split(QLatin1Char(','), Qt::SkipEmptyParts);
    for (const QString& text : texts) {
        const std::optional<PlanValue> value = ParsePlanValue(plan.quantity, text.toStdString());
        if (!value) {
            ShowErrorMessage(QStringLiteral("Invalid value \"%1\".").arg(text.trimmed()).toUtf8());
            valuesEdit_->setFocus();
            return std::nullopt;
        }
        plan.values.push_back(*value);
    }
    if (plan.values.empty()) {
        ShowErrorMessage("No values to plan.");
        valuesEdit_->setFocus();
        return std::nullopt;
    }
    pointLabels_.clear();
    for (int row = 0; row < pointsTable_->rowCount(); ++row) {
        const auto frequencyGHz = FieldNumber(pointsTable_->item(row, kFrequencyColumn)->text());
        const auto dutDb = FieldNumber(pointsTable_->item(row, kDutColumn)->text());
        if (!frequencyGHz || !(*frequencyGHz > 0.0) || !dutDb) {
            ShowErrorMessage(
                QStringLiteral("Invalid point of interest in row %1.").arg(row + 1).toUtf8());
            pointsTable_->setCurrentCell(
                row, frequencyGHz && *frequencyGHz > 0.0 ? kDutColumn : kFrequencyColumn);
            return std::nullopt;
        }
        const auto* measurement =
            qobject_cast<QComboBox*>(pointsTable_->cellWidget(row, kMeasurementColumn));
        const bool transmission = measurement != nullptr && measurement->currentIndex() == 1;
        plan.points.push_back({*frequencyGHz * kHzPerGHz, static_cast<float>(*dutDb),
                               transmission ? PlanPort::Transmission : PlanPort::Reflection});
        pointLabels_ << QStringLiteral("%1 GHz, %2 dB %3")
                            .arg(QString::number(*frequencyGHz, 'g', 10),
                                 QString::number(*dutDb, 'g', 8),
                                 transmission ? QStringLiteral("S21") : QStringLiteral("S11"));
    }
    return plan;
}

bool PlannerWindow::compute() {
    std::optional<double> targetDb;
    if (targetCheck_->isChecked()) {
        targetDb = FieldNumber(targetEdit_->text());
        if (!targetDb) {
            ShowErrorMessage("Invalid target.");
            targetEdit_->setFocus();
            targetEdit_->selectAll();
            return false;
        }
    }
    std::optional<Plan> plan = readPlan();
    if (!plan) return false;
    PlanResult result;
    {
        const BusyCursor busy;
        if (ComputePlan(Configuration(), *plan, &result) == 0) return false;
    }
    plan_ = std::move(*plan);
    result_ = std::move(result);
    best_ = targetDb ? FindBestPlanValue(result_, *targetDb) : std::nullopt;
    showResult();
    if (targetDb) {
        bestLabel_->setText(
            best_ ? QStringLiteral("Best for a target of %1 dB: %2 (sweep time %3 s).")
                        .arg(QString::number(*targetDb, 'g', 6),
                             ValueText(plan_.quantity, plan_.values[*best_]),
                             QString::number(result_.values[*best_].sweepTimeS, 'g', 4))
                  : QStringLiteral("No value meets the target of %1 dB at every point.")
                        .arg(QString::number(*targetDb, 'g', 6)));
    } else {
        bestLabel_->clear();
    }
    applyButton_->setEnabled(true);
    return true;
}

void PlannerWindow::showResult() {
    FillPlannerChart(chart_, plan_, result_, pointLabels_, best_);

    QStringList headers{Text(PlanQuantityTitle(plan_.quantity))};
    for (const QString& label : pointLabels_)
        headers << label + QStringLiteral(" (dB)");
    headers << QStringLiteral("Sweep Time (s)");
    resultTable_->clear();
    resultTable_->setColumnCount(int(headers.size()));
    resultTable_->setRowCount(int(result_.values.size()));
    resultTable_->setHorizontalHeaderLabels(headers);
    for (std::size_t v = 0; v < result_.values.size(); ++v) {
        const int row = int(v);
        const PlanValueResult& value = result_.values[v];
        resultTable_->setItem(row, 0, ReadOnlyItem(ValueText(plan_.quantity, plan_.values[v])));
        for (std::size_t p = 0; p < value.points.size(); ++p) {
            const PlanPointResult& point = value.points[p];
            QTableWidgetItem* item =
                ReadOnlyItem(point.computed ? FormatFixed(point.worstCase.uncertaintyDb, 4)
                                            : QStringLiteral("not computed"));
            if (!point.computed) item->setToolTip(QString::fromStdString(point.failure));
            resultTable_->setItem(row, int(p) + 1, item);
        }
        resultTable_->setItem(row, int(value.points.size()) + 1,
                              ReadOnlyItem(std::isfinite(value.sweepTimeS)
                                               ? QString::number(value.sweepTimeS, 'g', 4)
                                               : QString()));
    }
    if (best_) {
        for (int column = 0; column < resultTable_->columnCount(); ++column) {
            QTableWidgetItem* item = resultTable_->item(int(*best_), column);
            QFont font = item->font();
            font.setBold(true);
            item->setFont(font);
            item->setBackground(QColor(0xff, 0xf0, 0xb3));
        }
    }
    resultTable_->resizeColumnsToContents();
}

bool PlannerWindow::apply() {
    const QList<QTableWidgetItem*> selected = resultTable_->selectedItems();
    std::optional<std::size_t> chosen = best_;
    if (!selected.isEmpty()) chosen = std::size_t(selected.front()->row());
    if (!chosen || *chosen >= plan_.values.size()) {
        ShowErrorMessage("Choose a row of the table to apply.");
        return false;
    }
    if (ApplyPlanValue(Configuration(), plan_.quantity, plan_.cable, plan_.values[*chosen]) == 0)
        return false;
    bestLabel_->setText(QStringLiteral("%1 %2 written into the configuration.")
                            .arg(Text(PlanQuantityTitle(plan_.quantity)),
                                 ValueText(plan_.quantity, plan_.values[*chosen])));
    Q_EMIT configurationChanged();
    return true;
}

} // namespace tolvane
