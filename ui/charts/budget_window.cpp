#include "ui/charts/budget_window.h"

#include "core/message_sink.h"
#include "engine/model_terms.h"

#include <QApplication>
#include <QBarCategoryAxis>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QHeaderView>
#include <QHorizontalBarSeries>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QValueAxis>

#include <algorithm>
#include <cmath>
#include <numeric>

namespace tolvane {
namespace {

QString Linear(double value) {
    return QString::number(value, 'g', 6);
}
QString Decibels(double deviation, double nominal) {
    return QString::number(DeviationDb(deviation, nominal), 'f', 4);
}

QTableWidget* MakeTable(const QStringList& headers, int rows, QWidget* parent) {
    auto* table = new QTableWidget(rows, int(headers.size()), parent);
    table->setHorizontalHeaderLabels(headers);
    table->verticalHeader()->hide();
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionMode(QAbstractItemView::NoSelection);
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    table->horizontalHeader()->setStretchLastSection(true);
    return table;
}

void SetRow(QTableWidget* table, int row, const QStringList& cells) {
    for (int column = 0; column < cells.size(); ++column) {
        auto* item = new QTableWidgetItem(cells[column]);
        if (column > 0) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        table->setItem(row, column, item);
    }
}

int TableHeight(const QTableWidget* table) {
    int height = table->horizontalHeader()->sizeHint().height() + 2 * table->frameWidth();
    for (int row = 0; row < table->rowCount(); ++row)
        height += table->rowHeight(row);
    return height;
}

QString TableText(const QTableWidget* table) {
    QStringList lines;
    QStringList header;
    for (int column = 0; column < table->columnCount(); ++column)
        header << table->horizontalHeaderItem(column)->text();
    lines << header.join(u'\t');
    for (int row = 0; row < table->rowCount(); ++row) {
        QStringList cells;
        for (int column = 0; column < table->columnCount(); ++column) {
            const QTableWidgetItem* item = table->item(row, column);
            cells << (item != nullptr ? item->text() : QString());
        }
        lines << cells.join(u'\t');
    }
    return lines.join(u'\n');
}

} // namespace

double DeviationDb(double deviation, double nominal) {
    return 20.0 * std::log10((nominal + deviation) / nominal);
}

BudgetWindow::BudgetWindow(const PointExplanation& explanation, const QString& point,
                           QWidget* parent)
    : QDialog(parent), explanation_(explanation), point_(point) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Uncertainty Budget"));
    const UncertaintyBudget& b = explanation_.budget;

    auto* heading = new QLabel(QStringLiteral("<b>%1</b><br>nominal magnitude %2 (linear)")
                                   .arg(point_.toHtmlEscaped(), QString::number(b.nominal, 'g', 6)),
                               this);

    // The shares, largest at the top: a horizontal bar chart lists its categories bottom up.
    std::vector<int> order(kNumBudgetTerms);
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int c) {
        return b.terms[std::size_t(a)].sharePercent > b.terms[std::size_t(c)].sharePercent;
    });
    auto* shares = new QBarSet(QStringLiteral("share (%)"));
    shares->setColor(QColor(0x1f, 0x4e, 0x9c));
    shares->setLabelColor(Qt::black); // beside the bar, on the chart's white
    QStringList categories;
    for (auto it = order.rbegin(); it != order.rend(); ++it) {
        *shares << b.terms[std::size_t(*it)].sharePercent;
        categories << QString::fromUtf8(kBudgetTerms[std::size_t(*it)].name);
    }
    for (int term : order)
        barOrder_ << QString::fromUtf8(kBudgetTerms[std::size_t(term)].name);
    auto* series = new QHorizontalBarSeries;
    series->append(shares);
    series->setLabelsVisible(true);
    series->setLabelsFormat(QStringLiteral("@value"));
    series->setLabelsPrecision(3);
    // Beyond the end of each bar, where a share of a few percent has room for its value too.
    series->setLabelsPosition(QAbstractBarSeries::LabelsOutsideEnd);
    auto* chart = new QChart;
    chart->addSeries(series);
    chart->setTitle(QStringLiteral("Share of each term (100 alone\u00b2 / \u03a3 alone\u00b2, %)"));
    chart->legend()->hide();
    chart->setAnimationOptions(QChart::NoAnimation);
    auto* termAxis = new QBarCategoryAxis;
    termAxis->append(categories);
    termAxis->setTruncateLabels(false);
    auto* shareAxis = new QValueAxis;
    // Room beyond 100 for the label of a bar that fills the scale; ticks at 0, 25, ... 100 only.
    shareAxis->setRange(0.0, 112.0);
    shareAxis->setTickType(QValueAxis::TicksDynamic);
    shareAxis->setTickAnchor(0.0);
    shareAxis->setTickInterval(25.0);
    shareAxis->setLabelFormat(QStringLiteral("%.0f"));
    chart->addAxis(termAxis, Qt::AlignLeft);
    chart->addAxis(shareAxis, Qt::AlignBottom);
    series->attachAxis(termAxis);
    series->attachAxis(shareAxis);
    bars_ = new QChartView(chart, this);
    bars_->setRenderHint(QPainter::Antialiasing);
    bars_->setMinimumHeight(300);

    terms_ = MakeTable({QStringLiteral("Term"), QStringLiteral("Alone (linear)"),
                        QStringLiteral("Alone (dB)"), QStringLiteral("Without (linear)"),
                        QStringLiteral("Without (dB)"), QStringLiteral("Share (%)")},
                       kNumBudgetTerms, this);
    for (int term = 0; term < kNumBudgetTerms; ++term) {
        const BudgetLine& line = b.terms[std::size_t(term)];
        SetRow(terms_, term,
               {QString::fromUtf8(kBudgetTerms[std::size_t(term)].name),
                Linear(line.aloneDeviation), Decibels(line.aloneDeviation, b.nominal),
                Linear(line.withoutDeviation), Decibels(line.withoutDeviation, b.nominal),
                QString::number(line.sharePercent, 'f', 2)});
    }

    const MonteCarloOptions& mc = explanation_.monteCarloOptions;
    methods_ = MakeTable({QStringLiteral("Method"), QStringLiteral("Upper deviation (linear)"),
                          QStringLiteral("Lower deviation (linear)"),
                          QStringLiteral("Magnitude uncertainty (dB)"),
                          QStringLiteral("Phase uncertainty (degrees)")},
                         3, this);
    const auto phase = [&](double deviation) {
        return QString::number(ArcsinePhaseDeg(deviation, b.nominal) + b.cablePhaseDriftDeg, 'f',
                               3);
    };
    SetRow(methods_, 0,
           {QStringLiteral("Worst case"), Linear(b.worstCaseDeviation), QString(),
            Decibels(b.worstCaseDeviation, b.nominal), QString::number(b.phaseDeg, 'f', 3)});
    SetRow(methods_, 1,
           {QStringLiteral("RSS"), Linear(b.rssDeviation), QString(),
            Decibels(b.rssDeviation, b.nominal), phase(b.rssDeviation)});
    SetRow(methods_, 2,
           {QStringLiteral("Monte Carlo 95 %"), Linear(explanation_.monteCarlo.upperDeviation),
            Linear(explanation_.monteCarlo.lowerDeviation),
            Decibels(explanation_.monteCarlo.upperDeviation, b.nominal),
            phase(explanation_.monteCarlo.upperDeviation)});
    for (QTableWidget* table : {terms_, methods_}) {
        table->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        table->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        table->resizeColumnsToContents();
        table->resizeRowsToContents();
        table->setFixedHeight(TableHeight(table));
    }
    auto* note = new QLabel(
        QStringLiteral("Worst-case phase: arcsine part %1\u00b0 + cable phase drift %2\u00b0; "
                       "the other methods add the same drift to their arcsine part. "
                       "Monte Carlo: %3 trials, seed %4.")
            .arg(QString::number(b.asinPhaseDeg, 'f', 3),
                 QString::number(b.cablePhaseDriftDeg, 'f', 3))
            .arg(mc.trials)
            .arg(mc.seed),
        this);
    note->setWordWrap(true);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    QPushButton* save =
        buttons->addButton(QStringLiteral("Save Image..."), QDialogButtonBox::ActionRole);
    QPushButton* copy =
        buttons->addButton(QStringLiteral("Copy as Text"), QDialogButtonBox::ActionRole);
    connect(save, &QPushButton::clicked, this, &BudgetWindow::askAndSaveImage);
    connect(copy, &QPushButton::clicked, this,
            [this] { QApplication::clipboard()->setText(budgetText()); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(heading);
    layout->addWidget(bars_, 1);
    layout->addWidget(terms_);
    layout->addWidget(methods_);
    layout->addWidget(note);
    layout->addWidget(buttons);
    resize(860, 900);
}

QString BudgetWindow::budgetText() const {
    const UncertaintyBudget& b = explanation_.budget;
    return QStringLiteral("Uncertainty budget: %1\nnominal magnitude\t%2\n\n%3\n\n%4\n\n"
                          "worst-case phase: arcsine part\t%5\tcable phase drift\t%6\n"
                          "Monte Carlo trials\t%7\tseed\t%8\n")
        .arg(point_, QString::number(b.nominal, 'g', 9), TableText(terms_), TableText(methods_),
             QString::number(b.asinPhaseDeg, 'f', 3), QString::number(b.cablePhaseDriftDeg, 'f', 3))
        .arg(explanation_.monteCarloOptions.trials)
        .arg(explanation_.monteCarloOptions.seed);
}

bool BudgetWindow::saveImage(const QString& path) {
    return grab().save(path, "PNG");
}

void BudgetWindow::askAndSaveImage() {
    QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Save Image"),
                                                QStringLiteral("budget.png"),
                                                QStringLiteral("PNG image (*.png)"));
    if (path.isEmpty()) return;
    if (!path.endsWith(QStringLiteral(".png"), Qt::CaseInsensitive)) path += QStringLiteral(".png");
    if (!saveImage(path))
        ShowErrorMessage(QStringLiteral("Save Image: the file could not be written: %1")
                             .arg(path)
                             .toUtf8()
                             .constData());
}

} // namespace tolvane
