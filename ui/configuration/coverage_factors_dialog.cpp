#include "ui/configuration/coverage_factors_dialog.h"

#include "components/dut.h"
#include "core/message_sink.h"
#include "engine/config.h"
#include "ui/editor_buttons.h"

#include <QCloseEvent>
#include <QDialogButtonBox>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <optional>

namespace tolvane {

// "Refelction" is how the program has always spelt this label.
const std::array<const char*, 12> CoverageFactorsDialog::kLabels = {
    "Directivity",
    "Source Match",
    "Load Match",
    "Refelction Tracking",
    "Transmission Tracking",
    "Crosstalk",
    "Noise Floor",
    "Drift",
    "Connector Repeatability",
    "Source Uncertainty",
    "Receiver Uncertainty",
    "Coverage Factor (k)",
};

namespace {

DUTInfo* ConfigurationDut(const ConfigInfo* config) {
    DUTInfo* dut = nullptr;
    if (config == nullptr || GetConfigDUT(config, &dut) == 0) return nullptr;
    return dut;
}

} // namespace

CoverageFactorsDialog::CoverageFactorsDialog(ConfigInfo* config, QWidget* parent)
    : QDialog(parent), config_(config) {
    setWindowTitle(QStringLiteral("Coverage Factors"));
    // No close box: "Done" is the only way out.
    setWindowFlags((windowFlags() | Qt::CustomizeWindowHint | Qt::WindowTitleHint) &
                   ~Qt::WindowCloseButtonHint);

    CoverageFactors factors{};
    factors.fill(4.0f);
    if (const DUTInfo* dut = ConfigurationDut(config_))
        (void)GetDUTCoverageFactorArray(dut, &factors);

    auto* grid = new QGridLayout;
    auto* heading = new QLabel(QStringLiteral("Implied coverage factor\nfor model parameters"));
    heading->setAlignment(Qt::AlignCenter);
    grid->addWidget(heading, 0, 0, 1, 2);
    int row = 1;
    for (std::size_t i = 0; i < fields_.size(); ++i) {
        if (i + 1 == fields_.size()) {
            auto* line = new QFrame;
            line->setFrameShape(QFrame::HLine);
            line->setFrameShadow(QFrame::Plain);
            line->setStyleSheet(QStringLiteral("border-top: 1px dashed palette(dark);"));
            grid->addWidget(line, row++, 0, 1, 2);
        }
        fields_[i] = CreateNumberEdit(QString::fromLatin1(kLabels[i]), 8);
        ShowNumber(fields_[i], factors[i], 1);
        auto* label = new QLabel(QString::fromLatin1(kLabels[i]));
        label->setBuddy(fields_[i]);
        grid->addWidget(label, row, 0);
        grid->addWidget(fields_[i], row++, 1);
    }

    auto* buttons = new QDialogButtonBox;
    QPushButton* done = buttons->addButton(QStringLiteral("Done"), QDialogButtonBox::AcceptRole);
    done->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &CoverageFactorsDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(buttons);
}

void CoverageFactorsDialog::accept() {
    std::array<float, kNumCoverageFactors> factors{};
    for (std::size_t i = 0; i < fields_.size(); ++i) {
        const std::optional<float> factor = ReadNumberEdit(fields_[i]);
        if (!factor) {
            const QString text =
                QStringLiteral("\"%1\" is not a number.").arg(QString::fromLatin1(kLabels[i]));
            ShowErrorMessage(text.toUtf8().constData());
            RefuseField(fields_[i]);
            return;
        }
        factors[i] = *factor;
    }
    DUTInfo* dut = ConfigurationDut(config_);
    if (dut != nullptr &&
        SetDUTCoverageFactors(dut, factors[0], factors[1], factors[2], factors[3], factors[4],
                              factors[5], factors[6], factors[7], factors[8], factors[9],
                              factors[10], factors[11]) == 0)
        return;
    QDialog::accept();
}

void CoverageFactorsDialog::closeEvent(QCloseEvent* event) {
    event->ignore();
}

} // namespace tolvane
