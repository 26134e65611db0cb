#include "ui/configuration/frequency_config_dialog.h"

#include "core/message_sink.h"
#include "core/units.h"
#include "engine/config.h"
#include "ui/add_sweep_dialog.h"
#include "ui/editor_buttons.h"
#include "ui/help/help.h"
#include "ui/list_sorting.h"
#include "ui/number_text.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include <cmath>
#include <optional>

namespace tolvane {
namespace {

// The frequency field takes at most this many characters.
constexpr int kFrequencyFieldLength = 64;

// Lines are right-aligned so that their decimal points line up.
void AddFrequencyLine(QListWidget* list, double frequencyGHz) {
    auto* line = new QListWidgetItem(FormatFixed(frequencyGHz, 6) + QStringLiteral(" GHz"), list);
    line->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
}

} // namespace

FrequencyConfigDialog::FrequencyConfigDialog(ConfigInfo* config, QWidget* parent)
    : QDialog(parent), config_(config) {
    setWindowTitle(QStringLiteral("Configuration Frequencies"));

    list_ = new QListWidget;
    list_->setObjectName(QStringLiteral("frequencies"));
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    const QFontMetrics metrics(list_->font());
    list_->setMinimumWidth(metrics.horizontalAdvance(QStringLiteral("00000.000000 GHz")) + 60);
    auto* deleteButton = new QPushButton(QStringLiteral("Delete"));
    deleteButton->setObjectName(QStringLiteral("delete"));
    auto* frequenciesGroup = new QGroupBox(QStringLiteral("Frequencies"));
    auto* frequencies = new QVBoxLayout(frequenciesGroup);
    frequencies->addWidget(list_);
    frequencies->addWidget(deleteButton, 0, Qt::AlignRight);

    frequencyEdit_ = CreateNumberEdit(QStringLiteral("frequency"));
    frequencyEdit_->setMaxLength(kFrequencyFieldLength);
    auto* addButton = new QPushButton(QStringLiteral("Add"));
    addButton->setObjectName(QStringLiteral("add"));
    auto* frequencyLabel = new QLabel(QStringLiteral("Frequency (GHz)"));
    frequencyLabel->setBuddy(frequencyEdit_);
    auto* addRow = new QHBoxLayout;
    addRow->addWidget(frequencyLabel);
    addRow->addWidget(frequencyEdit_, 1);
    addRow->addWidget(addButton);
    auto* sweepButton = new QPushButton(QStringLiteral("Add Sweep..."));
    sweepButton->setObjectName(QStringLiteral("addSweep"));
    addRow->addWidget(sweepButton);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(frequenciesGroup, 1);
    layout->addLayout(addRow);
    layout->addWidget(CreateEditorButtons(this, kHelpConfigurationFrequencies));

    connect(addButton, &QPushButton::clicked, this, &FrequencyConfigDialog::addFrequency);
    AddOnEnter(frequencyEdit_, [this] { addFrequency(); });
    connect(sweepButton, &QPushButton::clicked, this, &FrequencyConfigDialog::addSweep);
    connect(deleteButton, &QPushButton::clicked, this, &FrequencyConfigDialog::deleteFrequency);

    int count = 0;
    (void)GetConfigNumFreqs(config_, &count);
    for (int i = 0; i < count; ++i) {
        double frequencyHz = 0.0;
        if (GetConfigFreq(config_, i, &frequencyHz) != 0)
            AddFrequencyLine(list_, frequencyHz / kHzPerGHz);
    }
    SortListByLeadingNumber(list_);
}

void FrequencyConfigDialog::addFrequency() {
    const std::optional<double> frequencyGHz = ReadLeadingDouble(frequencyEdit_->text());
    // A number too large to be held in Hz is refused as well: it would be stored as infinity and
    // saved as "inf", which no configuration file can be read back with.
    if (!frequencyGHz || !std::isfinite(*frequencyGHz * kHzPerGHz)) {
        ShowErrorMessage("Invalid frequency.");
        RefuseField(frequencyEdit_);
        return;
    }
    AddFrequencyLine(list_, std::fabs(*frequencyGHz));
    SortListByLeadingNumber(list_);
}

void FrequencyConfigDialog::addSweep() {
    addSweepFrequencies(AskForSweep(this, list_->count()));
}

void FrequencyConfigDialog::addSweepFrequencies(const std::vector<double>& frequenciesHz) {
    if (frequenciesHz.empty()) return;
    for (double frequencyHz : frequenciesHz)
        AddFrequencyLine(list_, frequencyHz / kHzPerGHz);
    SortListByLeadingNumber(list_);
}

void FrequencyConfigDialog::deleteFrequency() {
    const QList<QListWidgetItem*> selected = list_->selectedItems();
    if (!selected.isEmpty()) delete selected.front();
}

void FrequencyConfigDialog::accept() {
    // Every field is written into a copy first: a refused one leaves the configuration untouched.
    if (WriteAllOrNothing(config_, [this](ConfigInfo* config) { return writeControls(config); }))
        QDialog::accept();
}

bool FrequencyConfigDialog::writeControls(ConfigInfo* config) {
    // An empty list is corrected by adding a frequency, a refused line by deleting it.
    if (SetConfigNumFreqs(config, list_->count()) == 0)
        return list_->count() == 0 ? RefuseField(frequencyEdit_) : RefuseField(list_);
    for (int i = 0; i < list_->count(); ++i) {
        const std::optional<double> frequencyGHz = ReadLeadingDouble(list_->item(i)->text());
        if (!frequencyGHz) {
            ShowErrorMessage("Invalid frequency.");
            return RefuseListLine(list_, i);
        }
        if (SetConfigFreq(config, i, std::fabs(*frequencyGHz * kHzPerGHz)) == 0)
            return RefuseListLine(list_, i);
    }
    return true;
}

} // namespace tolvane
