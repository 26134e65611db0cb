#include "ui/model/term_sheet.h"

#include "core/fv_table.h"
#include "core/pv_table.h"
#include "core/units.h"
#include "engine/model_component_backup.h"
#include "ui/help/help.h"
#include "ui/model/value_table_page.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <iterator>
#include <vector>

namespace tolvane {
namespace {

constexpr int kCalibrationTerms[] = {kTermDirectivity,          kTermSourceMatch,
                                     kTermReflectionTracking,   kTermLoadMatch,
                                     kTermTransmissionTracking, kTermCrosstalk};
constexpr int kCable1Terms[] = {kTermCable1MagnitudeDrift, kTermCable1PhaseDrift};
constexpr int kCable2Terms[] = {kTermCable2MagnitudeDrift, kTermCable2PhaseDrift};
constexpr int kConnector1Terms[] = {kTermConnector1Reflection, kTermConnector1Transmission};
constexpr int kConnector2Terms[] = {kTermConnector2Reflection, kTermConnector2Transmission};
constexpr int kTestsetTerms[] = {kTermSourceUncertainty, kTermReceiverUncertainty,
                                 kTermReceiverNoise};

const TermSheetDescription kSheets[] = {
    {"Calibration Residual Uncertainty", kCalibrationTerms, kHelpCalibrationResidualPages},
    {"Cable 1 Drift", kCable1Terms, kHelpDriftPages},
    {"Cable 2 Drift", kCable2Terms, kHelpDriftPages},
    {"Connector 1 Repeatability", kConnector1Terms, kHelpConnectorRepeatabilityPages},
    {"Connector 2 Repeatability", kConnector2Terms, kHelpConnectorRepeatabilityPages},
    {"Testset", kTestsetTerms, kHelpTestsetPages},
};

} // namespace

const TermSheetDescription& SheetOfTerm(int term) {
    for (const TermSheetDescription& sheet : kSheets)
        if (std::ranges::find(sheet.terms, term) != sheet.terms.end()) return sheet;
    Q_ASSERT_X(false, "SheetOfTerm", "no sheet holds the term");
    return kSheets[0];
}

QString SummarizeTerm(const ModelInfo* model, int term) {
    const ModelTermInfo& description = DescribeModelTerm(term);
    const QString name = QStringLiteral("%1, %2").arg(
        QString::fromLatin1(SheetOfTerm(term).caption), QString::fromLatin1(description.label));
    // Read straight from the table, so that a tool tip never shows a message box.
    std::vector<double> abscissas;
    if (const FVInfo* table = TermFrequencyTable(model, description)) {
        if (table->arraysPresent) abscissas = table->frequenciesHz;
    } else if (const PVInfo* power = TermPowerTable(model, description)) {
        if (power->arraysPresent)
            abscissas.assign(power->powersDbm.begin(), power->powersDbm.end());
    }
    if (abscissas.empty()) return name + QStringLiteral(": no values");
    const auto [low, high] = std::ranges::minmax(abscissas);
    const bool power = description.againstPower;
    const double scale = power ? 1.0 : kHzPerGHz;
    return QStringLiteral("%1: %2 %3 from %4 to %5 %6")
        .arg(name)
        .arg(abscissas.size())
        .arg(abscissas.size() == 1 ? QStringLiteral("value") : QStringLiteral("values"))
        .arg(QString::number(low / scale, 'g', 10), QString::number(high / scale, 'g', 10),
             power ? QStringLiteral("dBm") : QStringLiteral("GHz"));
}

TermSheet::TermSheet(int startTerm, ModelInfo* model, const ConfigInfo* config, QWidget* parent)
    : QDialog(parent), model_(model), config_(config), terms_(SheetOfTerm(startTerm).terms),
      tabs_(new QTabWidget), pages_(terms_.size(), nullptr),
      buttons_(new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel |
                                    QDialogButtonBox::Apply | QDialogButtonBox::Help)) {
    setWindowTitle(QString::fromLatin1(SheetOfTerm(startTerm).caption));
    setModal(true);
    // Every tab stays in sight, as on a property sheet: the sheet widens to hold them.
    tabs_->setUsesScrollButtons(false);
    tabs_->setElideMode(Qt::ElideNone);
    for (int term : terms_) {
        // Each tab holds an empty frame until it is first shown; then its page is made in it.
        auto* frame = new QWidget;
        auto* frameLayout = new QVBoxLayout(frame);
        frameLayout->setContentsMargins(0, 0, 0, 0);
        tabs_->addTab(frame, QString::fromLatin1(DescribeModelTerm(term).label));
    }
    const auto start = std::ranges::find(terms_, startTerm);
    tabs_->setCurrentIndex(static_cast<int>(std::distance(terms_.begin(), start)));
    showPage(tabs_->currentIndex());
    connect(tabs_, &QTabWidget::currentChanged, this, &TermSheet::showPage);

    applyButton()->setEnabled(false);
    connect(buttons_, &QDialogButtonBox::accepted, this, &TermSheet::accept);
    connect(buttons_, &QDialogButtonBox::rejected, this, &TermSheet::reject);
    connect(applyButton(), &QPushButton::clicked, this, &TermSheet::apply);
    connect(buttons_, &QDialogButtonBox::helpRequested, this,
            [this] { ShowHelpTopic(this, helpContext()); });

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs_);
    layout->addWidget(buttons_);
    saved_ = std::make_unique<ModelComponentBackup>(model_, component());
}

TermSheet::~TermSheet() = default;

int TermSheet::component() const {
    return DescribeModelTerm(terms_.front()).component;
}

ValueTablePage* TermSheet::page(int index) const {
    if (index < 0 || index >= static_cast<int>(pages_.size())) return nullptr;
    return pages_[static_cast<std::size_t>(index)];
}

int TermSheet::currentIndex() const {
    return tabs_->currentIndex();
}

int TermSheet::helpContext() const {
    return SheetOfTerm(terms_[static_cast<std::size_t>(currentIndex())]).helpContext;
}

QPushButton* TermSheet::applyButton() const {
    return buttons_->button(QDialogButtonBox::Apply);
}

void TermSheet::showPage(int index) {
    if (index < 0 || page(index) != nullptr) return;
    auto* page = new ValueTablePage(terms_[static_cast<std::size_t>(index)], model_, config_);
    tabs_->widget(index)->layout()->addWidget(page);
    pages_[static_cast<std::size_t>(index)] = page;
    connect(page, &ValueTablePage::changed, this, [this] { applyButton()->setEnabled(true); });
    // "Copy" replaces a whole component record; the other pages made on it show it again, so
    // that "OK" does not write their earlier lists over what was copied.
    connect(page, &ValueTablePage::componentCopied, this, [this, page](int component) {
        for (ValueTablePage* other : pages_)
            if (other != nullptr && other != page && other->description().component == component)
                other->fill();
    });
}

bool TermSheet::apply() {
    ModelComponentBackup before(model_, component());
    for (ValueTablePage* page : pages_) {
        if (page != nullptr && !page->writeBack()) {
            before.restore(model_);
            return false;
        }
    }
    saved_ = std::make_unique<ModelComponentBackup>(model_, component());
    applyButton()->setEnabled(false);
    return true;
}

void TermSheet::accept() {
    if (apply()) QDialog::accept();
}

void TermSheet::reject() {
    saved_->restore(model_);
    QDialog::reject();
}

} // namespace tolvane
