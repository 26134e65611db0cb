#include "ui/add_sweep_dialog.h"

#include "core/message_sink.h"
#include "engine/config.h"
#include "engine/frequency_sweep.h"
#include "ui/editor_buttons.h"
#include "ui/number_text.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <cmath>
#include <optional>

namespace tolvane {
namespace {

constexpr double kHzPerGHz = 1000000000.0;

// A sweep limit as a typed frequency is read: a number whose magnitude in Hz is finite; and,
// since every frequency of a list must be above 0, not 0.
std::optional<double> ReadSweepLimitHz(QLineEdit* edit) {
    const std::optional<double> frequencyGHz = ReadLeadingDouble(edit->text());
    if (!frequencyGHz || !std::isfinite(*frequencyGHz * kHzPerGHz) || *frequencyGHz == 0.0) {
        ShowErrorMessage("Invalid frequency.");
        RefuseField(edit);
        return std::nullopt;
    }
    return std::fabs(*frequencyGHz * kHzPerGHz);
}

} // namespace

AddSweepDialog::AddSweepDialog(int linesInList, QWidget* parent)
    : QDialog(parent), linesInList_(linesInList),
      startEdit_(CreateNumberEdit(QStringLiteral("sweepStart"))),
      stopEdit_(CreateNumberEdit(QStringLiteral("sweepStop"))),
      pointsEdit_(CreateNumberEdit(QStringLiteral("sweepPoints"))), spacingCombo_(new QComboBox) {
    setWindowTitle(QStringLiteral("Add Sweep"));
    spacingCombo_->setObjectName(QStringLiteral("sweepSpacing"));
    spacingCombo_->addItems({QStringLiteral("Linear"), QStringLiteral("Logarithmic")});
    startEdit_->setMaxLength(64);
    stopEdit_->setMaxLength(64);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Start (GHz)"), startEdit_);
    form->addRow(QStringLiteral("Stop (GHz)"), stopEdit_);
    form->addRow(QStringLiteral("Points"), pointsEdit_);
    form->addRow(QStringLiteral("Spacing"), spacingCombo_);

    auto* buttons = new QDialogButtonBox;
    buttons->addButton(QStringLiteral("Add"), QDialogButtonBox::AcceptRole)->setDefault(true);
    buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &AddSweepDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &AddSweepDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void AddSweepDialog::accept() {
    const std::optional<double> startHz = ReadSweepLimitHz(startEdit_);
    if (!startHz) return;
    const std::optional<double> stopHz = ReadSweepLimitHz(stopEdit_);
    if (!stopHz) return;
    const std::optional<int> points = ReadLeadingInt(pointsEdit_->text());
    if (!points || *points < 1) {
        ShowErrorMessage("Invalid number of points.");
        RefuseField(pointsEdit_);
        return;
    }
    if (*points > kMaxConfigFrequencies - linesInList_) {
        ShowErrorMessage("Too many frequencies, maximum is 5000.");
        RefuseField(pointsEdit_);
        return;
    }
    const SweepSpacing spacing =
        spacingCombo_->currentIndex() == 1 ? SweepSpacing::Logarithmic : SweepSpacing::Linear;
    frequenciesHz_ = SweepFrequenciesHz(*startHz, *stopHz, *points, spacing);
    QDialog::accept();
}

std::vector<double> AskForSweep(QWidget* parent, int linesInList) {
    AddSweepDialog dialog(linesInList, parent);
    if (dialog.exec() != QDialog::Accepted) return {};
    return dialog.frequenciesHz();
}

} // namespace tolvane
