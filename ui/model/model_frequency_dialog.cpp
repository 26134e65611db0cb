#include "ui/model/model_frequency_dialog.h"

#include "core/message_sink.h"
#include "core/units.h"
#include "engine/model.h"
#include "ui/add_sweep_dialog.h"
#include "ui/editor_buttons.h"
#include "ui/help/help.h"
#include "ui/list_sorting.h"
#include "ui/number_text.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include <cmath>
#include <optional>

namespace tolvane {
namespace {

// The frequency field takes at most 63 characters, the port power 127.
constexpr int kFrequencyFieldLength = 63;
constexpr int kPowerFieldLength = 127;
// The exact frequency in Hz behind a line.
constexpr int kFrequencyRole = Qt::UserRole;

} // namespace

ModelFrequencyDialog::ModelFrequencyDialog(ModelInfo* model, QWidget* parent)
    : QDialog(parent), model_(model), list_(new QListWidget),
      frequencyEdit_(CreateNumberEdit(QStringLiteral("frequency"))),
      powerEdit_(CreateNumberEdit(QStringLiteral("power"))) {
    setWindowTitle(QStringLiteral("Model Frequencies and Power"));

    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    const QFontMetrics metrics(list_->font());
    list_->setMinimumWidth(metrics.horizontalAdvance(QStringLiteral("00000.000000 GHz")) + 40);
    auto* deleteButton = new QPushButton(QStringLiteral("Delete"));
    auto* frequencies = new QGroupBox(QStringLiteral("Frequencies"));
    auto* frequenciesLayout = new QVBoxLayout(frequencies);
    frequenciesLayout->addWidget(list_);
    frequenciesLayout->addWidget(deleteButton, 0, Qt::AlignRight);

    frequencyEdit_->setMaxLength(kFrequencyFieldLength);
    auto* addButton = new QPushButton(QStringLiteral("Add"));
    auto* newFrequency = new QGroupBox(QStringLiteral("New Frequency"));
    auto* newLayout = new QFormLayout(newFrequency);
    newLayout->addRow(QStringLiteral("Frequency (GHz)"), frequencyEdit_);
    newLayout->addRow(QString(), addButton);
    auto* sweepButton = new QPushButton(QStringLiteral("Add Sweep..."));
    newLayout->addRow(QString(), sweepButton);

    powerEdit_->setMaxLength(kPowerFieldLength);
    auto* power = new QGroupBox(QStringLiteral("Power"));
    auto* powerLayout = new QFormLayout(power);
    powerLayout->addRow(QStringLiteral("Port Power (dBm)"), powerEdit_);

    auto* right = new QVBoxLayout;
    right->addWidget(newFrequency);
    right->addWidget(power);
    right->addStretch();
    auto* columns = new QHBoxLayout;
    columns->addWidget(frequencies, 1);
    columns->addLayout(right);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(columns, 1);
    layout->addWidget(CreateEditorButtons(this, kHelpModelFrequenciesAndPower));

    connect(addButton, &QPushButton::clicked, this, &ModelFrequencyDialog::addFrequency);
    AddOnEnter(frequencyEdit_, [this] { addFrequency(); });
    connect(sweepButton, &QPushButton::clicked, this, &ModelFrequencyDialog::addSweep);
    connect(deleteButton, &QPushButton::clicked, this, &ModelFrequencyDialog::deleteFrequency);

    int count = 0;
    if (GetModelNumFreqs(model_, &count) != 0) {
        for (int i = 0; i < count; ++i) {
            double frequencyHz = 0.0;
            if (GetModelFreq(model_, i, &frequencyHz) == 0) break;
            appendFrequency(std::fabs(frequencyHz));
        }
    }
    SortListByLeadingNumber(list_, kFrequencyRole);
    float powerDbm = 0.0f;
    if (GetModelPower(model_, &powerDbm) != 0) ShowNumber(powerEdit_, powerDbm, 3);
}

QStringList ModelFrequencyDialog::lines() const {
    QStringList texts;
    for (int i = 0; i < list_->count(); ++i)
        texts << list_->item(i)->text();
    return texts;
}

void ModelFrequencyDialog::appendFrequency(double frequencyHz) {
    auto* item =
        new QListWidgetItem(FormatFixed(frequencyHz / kHzPerGHz, 6) + QStringLiteral(" GHz"));
    item->setData(kFrequencyRole, frequencyHz);
    list_->addItem(item);
}

void ModelFrequencyDialog::addFrequency() {
    const std::optional<double> frequencyGHz = ReadLeadingDouble(frequencyEdit_->text());
    // A number too large to be held in Hz is refused as well.
    if (!frequencyGHz || !std::isfinite(*frequencyGHz * kHzPerGHz)) {
        ShowErrorMessage("Invalid frequency.");
        RefuseField(frequencyEdit_);
        return;
    }
    appendFrequency(std::fabs(*frequencyGHz * kHzPerGHz));
    SortListByLeadingNumber(list_, kFrequencyRole);
}

void ModelFrequencyDialog::addSweep() {
    addSweepFrequencies(AskForSweep(this, list_->count()));
}

void ModelFrequencyDialog::addSweepFrequencies(const std::vector<double>& frequenciesHz) {
    if (frequenciesHz.empty()) return;
    for (double frequencyHz : frequenciesHz)
        appendFrequency(frequencyHz);
    SortListByLeadingNumber(list_, kFrequencyRole);
}

void ModelFrequencyDialog::deleteFrequency() {
    const QList<QListWidgetItem*> selected = list_->selectedItems();
    if (!selected.isEmpty()) delete selected.front();
}

void ModelFrequencyDialog::accept() {
    // Every field is written into a copy first: a refused one leaves the model untouched.
    if (WriteAllOrNothing(model_, [this](ModelInfo* model) { return writeControls(model); }))
        QDialog::accept();
}

bool ModelFrequencyDialog::writeControls(ModelInfo* model) {
    // An empty list is corrected by adding a frequency, a refused line by deleting it.
    if (SetModelNumFreqs(model, list_->count()) == 0)
        return list_->count() == 0 ? RefuseField(frequencyEdit_) : RefuseField(list_);
    for (int i = 0; i < list_->count(); ++i)
        if (SetModelFreq(model, i, list_->item(i)->data(kFrequencyRole).toDouble()) == 0)
            return RefuseListLine(list_, i);
    const std::optional<float> powerDbm = ReadNumberEdit(powerEdit_);
    if (!powerDbm) {
        ShowErrorMessage("Invalid port power.");
        return RefuseField(powerEdit_);
    }
    if (SetModelPower(model, *powerDbm) == 0) return RefuseField(powerEdit_);
    return true;
}

} // namespace tolvane
