#include "ui/configuration/dut_config_dialog.h"

#include "components/dut.h"
#include "core/message_sink.h"
#include "engine/config.h"
#include "ui/editor_buttons.h"
#include "ui/number_text.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <optional>

namespace tolvane {
namespace {

// Entries of "DUT Type", in DUT type order (entry i is type i + 1).
constexpr int kTypeEntries = 3;
const char* const kTypeNames[kTypeEntries] = {"Reflection Only", "Transmission Only",
                                              "User Defined"};

// Levels in dB are shown with one decimal, the user values and sweep limits with three.
constexpr int kLevelDecimals = 1;
constexpr int kUserDecimals = 3;

QLabel* BuddyLabel(const char* text, QWidget* buddy) {
    auto* label = new QLabel(QString::fromUtf8(text));
    label->setBuddy(buddy);
    label->setObjectName(buddy->objectName() + QStringLiteral("Label"));
    return label;
}

// A field that does not read as a number stops "Accept" with a message that names it; nothing of
// it is written.
void ReportNotANumber(const QLabel* label) {
    const QString text = QStringLiteral("\"%1\" is not a number.").arg(label->text());
    ShowErrorMessage(text.toUtf8().constData());
}

void ReportGreaterThan(const QLabel* lower, const QLabel* upper) {
    const QString text =
        QStringLiteral("\"%1\" is greater than \"%2\".").arg(lower->text(), upper->text());
    ShowErrorMessage(text.toUtf8().constData());
}

std::optional<float> ReadFloatField(QLineEdit* edit, const QLabel* label) {
    const std::optional<float> value = ReadNumberEdit(edit);
    if (!value) {
        ReportNotANumber(label);
        RefuseField(edit);
    }
    return value;
}

std::optional<int> ReadIntField(QLineEdit* edit, const QLabel* label) {
    const std::optional<int> value = ReadLeadingInt(edit->text());
    if (!value) {
        ReportNotANumber(label);
        RefuseField(edit);
    }
    return value;
}

} // namespace

DutConfigDialog::DutConfigDialog(DUTInfo* dut, const QString& title, int helpContext,
                                 QWidget* parent)
    : QDialog(parent), dut_(dut), helpContext_(helpContext) {
    setWindowTitle(title);
    createControls();

    int type = DUT_REFLECTION_ONLY;
    int reciprocal = 0;
    int sweep = 0;
    float transMaxDb = 0.0f;
    float reverseSavedDb = 0.0f;
    float s11 = 0.0f, s12 = 0.0f, s21 = 0.0f, s22 = 0.0f, startGHz = 0.0f, stopGHz = 0.0f;
    int points = 0;
    (void)GetDUTType(dut_, &type);
    (void)GetDUTReciprocal(dut_, &reciprocal);
    (void)GetDUTFreqSweep(dut_, &sweep);
    (void)GetDUTTransMax(dut_, &transMaxDb);
    (void)GetDUTReverseTransSaved(dut_, &reverseSavedDb);
    (void)GetDUTUserValues(dut_, &s11, &s12, &s21, &s22, &startGHz, &stopGHz, &points);

    const int shownType =
        type == DUT_TRANSMISSION_ONLY || type == DUT_USER_DEFINED ? type : DUT_REFLECTION_ONLY;
    typeCombo_->setCurrentIndex(shownType - 1);
    showValues(type);
    reciprocalCheck_->setChecked(reciprocal == 1);
    // The reverse transmission of a reciprocal two-port is its forward transmission.
    ShowNumber(reverseEdit_,
               type == DUT_TRANSMISSION_ONLY && reciprocal != 1 ? reverseSavedDb : transMaxDb,
               kLevelDecimals);
    const float user[4] = {s11, s12, s21, s22};
    for (int i = 0; i < 4; ++i)
        ShowNumber(sParamEdits_[i], user[i], kUserDecimals);
    sweepCheck_->setChecked(sweep == 1);
    ShowNumber(startEdit_, startGHz, kUserDecimals);
    ShowNumber(stopEdit_, stopGHz, kUserDecimals);
    pointsEdit_->setText(QString::number(points));
    updateEnabling();

    connect(typeCombo_, &QComboBox::currentIndexChanged, this, &DutConfigDialog::typeChanged);
    connect(reciprocalCheck_, &QCheckBox::toggled, this, [this] {
        showSavedReverseTransmission();
        updateEnabling();
    });
    connect(sweepCheck_, &QCheckBox::toggled, this, &DutConfigDialog::updateEnabling);
}

void DutConfigDialog::createControls() {
    typeCombo_ = new QComboBox;
    typeCombo_->setObjectName(QStringLiteral("dutType"));
    for (const char* name : kTypeNames)
        typeCombo_->addItem(QString::fromUtf8(name));
    auto* typeRow = new QHBoxLayout;
    typeRow->addWidget(BuddyLabel("DUT Type", typeCombo_));
    typeRow->addWidget(typeCombo_);
    typeRow->addStretch();

    minimumEdit_ = CreateNumberEdit(QStringLiteral("minimum"));
    maximumEdit_ = CreateNumberEdit(QStringLiteral("maximum"));
    numberEdit_ = CreateNumberEdit(QStringLiteral("number"));
    reciprocalCheck_ = new QCheckBox(QStringLiteral("Reciprocal"));
    reciprocalCheck_->setObjectName(QStringLiteral("reciprocal"));
    reverseEdit_ = CreateNumberEdit(QStringLiteral("reverseTransmission"));
    minimumLabel_ = BuddyLabel("Minimum (dB)", minimumEdit_);
    maximumLabel_ = BuddyLabel("Maximum (dB)", maximumEdit_);
    numberLabel_ = BuddyLabel("Number", numberEdit_);
    reverseLabel_ = BuddyLabel("Reverse Transmission (dB)", reverseEdit_);

    valuesGroup_ = new QGroupBox(QStringLiteral("Values"));
    valuesGroup_->setObjectName(QStringLiteral("valuesGroup"));
    auto* values = new QFormLayout(valuesGroup_);
    values->addRow(minimumLabel_, minimumEdit_);
    values->addRow(maximumLabel_, maximumEdit_);
    values->addRow(numberLabel_, numberEdit_);
    values->addRow(reciprocalCheck_);
    values->addRow(reverseLabel_, reverseEdit_);

    userGroup_ = new QGroupBox(QStringLiteral("User Defined"));
    userGroup_->setObjectName(QStringLiteral("userGroup"));
    auto* user = new QFormLayout(userGroup_);
    const char* const sParamNames[4] = {"S11 (dB)", "S12 (dB)", "S21 (dB)", "S22 (dB)"};
    const char* const sParamObjects[4] = {"s11", "s12", "s21", "s22"};
    for (int i = 0; i < 4; ++i) {
        sParamEdits_[i] = CreateNumberEdit(QString::fromUtf8(sParamObjects[i]));
        sParamLabels_[i] = BuddyLabel(sParamNames[i], sParamEdits_[i]);
        user->addRow(sParamLabels_[i], sParamEdits_[i]);
    }
    sweepCheck_ = new QCheckBox(QStringLiteral("Freq. Sweep"));
    sweepCheck_->setObjectName(QStringLiteral("freqSweep"));
    startEdit_ = CreateNumberEdit(QStringLiteral("startFreq"));
    stopEdit_ = CreateNumberEdit(QStringLiteral("stopFreq"));
    pointsEdit_ = CreateNumberEdit(QStringLiteral("points"));
    startLabel_ = BuddyLabel("Start Freq. (GHz)", startEdit_);
    stopLabel_ = BuddyLabel("Stop Freq. (GHz)", stopEdit_);
    pointsLabel_ = BuddyLabel("Points", pointsEdit_);
    user->addRow(sweepCheck_);
    user->addRow(startLabel_, startEdit_);
    user->addRow(stopLabel_, stopEdit_);
    user->addRow(pointsLabel_, pointsEdit_);

    auto* groups = new QHBoxLayout;
    groups->addWidget(valuesGroup_);
    groups->addWidget(userGroup_);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(typeRow);
    layout->addLayout(groups);
    layout->addStretch();
    layout->addWidget(CreateEditorButtons(this, helpContext_));
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

int DutConfigDialog::selectedType() const {
    return typeCombo_->currentIndex() + 1;
}

void DutConfigDialog::showValues(int type) {
    float minimumDb = 0.0f;
    float maximumDb = 0.0f;
    int number = 0;
    if (type == DUT_TRANSMISSION_ONLY) {
        (void)GetDUTTransMin(dut_, &minimumDb);
        (void)GetDUTTransMax(dut_, &maximumDb);
        (void)GetDUTTransNumValues(dut_, &number);
    } else {
        (void)GetDUTReflMin(dut_, &minimumDb);
        (void)GetDUTReflMax(dut_, &maximumDb);
        (void)GetDUTReflNumValues(dut_, &number);
    }
    ShowNumber(minimumEdit_, minimumDb, kLevelDecimals);
    ShowNumber(maximumEdit_, maximumDb, kLevelDecimals);
    numberEdit_->setText(QString::number(number));
}

void DutConfigDialog::showSavedReverseTransmission() {
    float savedDb = 0.0f;
    (void)GetDUTReverseTransSaved(dut_, &savedDb);
    ShowNumber(reverseEdit_, savedDb, kLevelDecimals);
}

void DutConfigDialog::typeChanged(int index) {
    const int type = index + 1;
    // A switch to user defined leaves the value fields as they are.
    if (type == DUT_REFLECTION_ONLY || type == DUT_TRANSMISSION_ONLY) showValues(type);
    if (type == DUT_TRANSMISSION_ONLY) showSavedReverseTransmission();
    updateEnabling();
}

void DutConfigDialog::updateEnabling() {
    const int type = selectedType();
    const bool transmission = type == DUT_TRANSMISSION_ONLY;
    const bool userDefined = type == DUT_USER_DEFINED;
    // Disabling a group disables everything in it; the rules inside apply when it is enabled.
    valuesGroup_->setEnabled(!userDefined);
    reciprocalCheck_->setEnabled(transmission);
    const bool reverseEnabled = transmission && !reciprocalCheck_->isChecked();
    reverseLabel_->setEnabled(reverseEnabled);
    reverseEdit_->setEnabled(reverseEnabled);
    userGroup_->setEnabled(userDefined);
    const bool sweepEnabled = sweepCheck_->isChecked();
    for (QWidget* widget :
         {static_cast<QWidget*>(startLabel_), static_cast<QWidget*>(startEdit_),
          static_cast<QWidget*>(stopLabel_), static_cast<QWidget*>(stopEdit_),
          static_cast<QWidget*>(pointsLabel_), static_cast<QWidget*>(pointsEdit_)})
        widget->setEnabled(sweepEnabled);
}

void DutConfigDialog::accept() {
    // Every value goes through the record's setters into a working copy; the DUT takes the copy
    // only when all of them were accepted, so a refusal followed by "Cancel" leaves it untouched.
    DUTInfo edited = *dut_;
    if (!writeControls(&edited)) return;
    *dut_ = edited;
    QDialog::accept();
}

bool DutConfigDialog::writeControls(DUTInfo* dut) {
    const int type = selectedType();
    if (SetDUTType(dut, type) == 0) return false;
    switch (type) {
    case DUT_REFLECTION_ONLY:
        return writeValueSweep(dut, type);
    case DUT_TRANSMISSION_ONLY:
        return writeValueSweep(dut, type) && writeReverseTransmission(dut) &&
               SetDUTReciprocal(dut, reciprocalCheck_->isChecked() ? 1 : 0) != 0;
    default:
        return writeUserValues(dut) && SetDUTFreqSweep(dut, sweepCheck_->isChecked() ? 1 : 0) != 0;
    }
}

bool DutConfigDialog::writeValueSweep(DUTInfo* dut, int type) {
    const bool transmission = type == DUT_TRANSMISSION_ONLY;
    const std::optional<float> minimumDb = ReadFloatField(minimumEdit_, minimumLabel_);
    if (!minimumDb) return false;
    if ((transmission ? SetDUTTransMin(dut, *minimumDb) : SetDUTReflMin(dut, *minimumDb)) == 0)
        return RefuseField(minimumEdit_);
    const std::optional<float> maximumDb = ReadFloatField(maximumEdit_, maximumLabel_);
    if (!maximumDb) return false;
    if ((transmission ? SetDUTTransMax(dut, *maximumDb) : SetDUTReflMax(dut, *maximumDb)) == 0)
        return RefuseField(maximumEdit_);
    // The values run from the minimum up; the other way round the computation has no sweep.
    if (*minimumDb > *maximumDb) {
        ReportGreaterThan(minimumLabel_, maximumLabel_);
        return RefuseField(minimumEdit_);
    }
    const std::optional<int> number = ReadIntField(numberEdit_, numberLabel_);
    if (!number) return false;
    if ((transmission ? SetDUTTransNumValues(dut, *number) : SetDUTReflNumValues(dut, *number)) ==
        0)
        return RefuseField(numberEdit_);
    return true;
}

bool DutConfigDialog::writeReverseTransmission(DUTInfo* dut) {
    // Both fields hold the same value: the file writers write the saved one, the computation
    // reads the other.
    const std::optional<float> reverseDb = ReadFloatField(reverseEdit_, reverseLabel_);
    if (!reverseDb) return false;
    if (SetDUTReverseTransSaved(dut, *reverseDb) == 0 || SetDUTReverseTrans(dut, *reverseDb) == 0)
        return RefuseField(reverseEdit_);
    return true;
}

bool DutConfigDialog::writeUserValues(DUTInfo* dut) {
    float sParamsDb[4] = {};
    for (int i = 0; i < 4; ++i) {
        const std::optional<float> value = ReadFloatField(sParamEdits_[i], sParamLabels_[i]);
        if (!value) return false;
        sParamsDb[i] = *value;
    }
    const std::optional<float> startGHz = ReadFloatField(startEdit_, startLabel_);
    if (!startGHz) return false;
    const std::optional<float> stopGHz = ReadFloatField(stopEdit_, stopLabel_);
    if (!stopGHz) return false;
    // The sweep runs from |start| up to |stop|; its limits matter only while it is on (they
    // cannot be edited otherwise).
    if (sweepCheck_->isChecked() && std::fabs(*startGHz) > std::fabs(*stopGHz)) {
        ReportGreaterThan(startLabel_, stopLabel_);
        return RefuseField(startEdit_);
    }
    const std::optional<int> points = ReadIntField(pointsEdit_, pointsLabel_);
    if (!points) return false;
    return SetDUTUserValues(dut, sParamsDb[0], sParamsDb[1], sParamsDb[2], sParamsDb[3], *startGHz,
                            *stopGHz, std::min(*points, kMaxConfigFrequencies)) != 0;
}

} // namespace tolvane
