#include "ui/model/value_table_page.h"

#include "components/cable.h"
#include "components/cal_kit.h"
#include "components/connector.h"
#include "components/vna.h"
#include "core/message_sink.h"
#include "core/record_name.h"
#include "core/units.h"
#include "engine/config.h"
#include "engine/model.h"
#include "ui/editor_buttons.h"
#include "ui/help/help.h"
#include "ui/list_sorting.h"
#include "ui/model/term_sheet.h"
#include "ui/number_text.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <array>
#include <cmath>
#include <iterator>
#include <optional>
#include <vector>

namespace tolvane {
namespace {

// The model's component record that holds `term`; null after the model module has reported.
void* ComponentOf(const ModelInfo* model, const ModelTermInfo& term) {
    void* component = nullptr;
    return GetModelComponent(model, term.component, &component) != 0 ? component : nullptr;
}

// The exact pair behind a list line, kept beside its text.
constexpr int kAbscissaRole = Qt::UserRole;
constexpr int kValueRole = Qt::UserRole + 1;

// "Copy" for each kind of component record. A name the component lists do not hold (its Find
// operation reports it) leaves the model's record as it was.
void CopyCalKit(const char* calName, CalInfo* destination) {
    if (const CalInfo* kit = FindCalInfo(calName)) (void)CopyCalInfo(kit, destination);
}

// The connector of the calibration kit named `calName`.
void CopyConnector(const char* calName, ConnInfo* destination) {
    const CalInfo* kit = FindCalInfo(calName);
    RecordName connName{};
    if (kit == nullptr ||
        GetCalConnName(kit, connName.data(), static_cast<int>(connName.size())) == 0)
        return;
    if (const ConnInfo* connector = FindConnInfo(connName.data()))
        (void)CopyConnInfo(connector, destination);
}

// The cable of `port` gets the configuration's dielectric, length and temperature variation and
// drift tables made for 0 Hz and the configuration's last frequency. They are made on a scratch
// record first, so that an unknown dielectric leaves the model's cable as it was.
void CopyCable(const ConfigInfo* config, int port, CableInfo* destination) {
    RecordName dielName{};
    float lengthM = 0.0f;
    float tempVarC = 0.0f;
    int numFreqs = 0;
    double lastHz = 0.0;
    if (GetConfigDielName(config, port, dielName.data(), static_cast<int>(dielName.size())) == 0 ||
        GetConfigCableLength(config, port, &lengthM) == 0 ||
        GetConfigTempVar(config, &tempVarC) == 0 || GetConfigNumFreqs(config, &numFreqs) == 0 ||
        GetConfigFreq(config, numFreqs - 1, &lastHz) == 0)
        return;
    const Owned<CableInfo> scratch(CreateCableInfo());
    if (scratch == nullptr) return;
    const double frequenciesHz[] = {0.0, lastHz};
    if (SetCableDielName(scratch, dielName.data()) != 0 && SetCableLength(scratch, lengthM) != 0 &&
        SetCableTempVar(scratch, tempVarC) != 0 && MakeCableFVs(scratch, 2, frequenciesHz) != 0) {
        (void)(SetCableDielName(destination, dielName.data()) != 0 &&
               SetCableLength(destination, lengthM) != 0 &&
               SetCableTempVar(destination, tempVarC) != 0 &&
               CopyFVInfo(scratch->DCbTm, destination->DCbTm) != 0 &&
               CopyFVInfo(scratch->DCbTp, destination->DCbTp) != 0);
    }
}

void CopyVNA(const char* vnaName, VNAInfo* destination) {
    if (const VNAInfo* vna = FindVNAInfo(vnaName)) (void)CopyVNAInfo(vna, destination);
}

// Copies the configuration's record of `component` into `destination`, the model's record.
void CopyComponent(const ConfigInfo* config, int component, void* destination) {
    RecordName name{};
    const int length = static_cast<int>(name.size());
    switch (component) {
    case kModelCalKit:
        if (GetConfigCalName(config, name.data(), length) != 0)
            CopyCalKit(name.data(), static_cast<CalInfo*>(destination));
        break;
    case kModelConnector1:
    case kModelConnector2:
        if (GetConfigCalName(config, name.data(), length) != 0)
            CopyConnector(name.data(), static_cast<ConnInfo*>(destination));
        break;
    case kModelCable1:
    case kModelCable2:
        CopyCable(config, component == kModelCable1 ? 1 : 2, static_cast<CableInfo*>(destination));
        break;
    default:
        if (GetConfigVNAName(config, name.data(), length) != 0)
            CopyVNA(name.data(), static_cast<VNAInfo*>(destination));
        break;
    }
}

} // namespace

ValueTablePage::ValueTablePage(int term, ModelInfo* model, const ConfigInfo* config,
                               QWidget* parent)
    : QWidget(parent), term_(term), model_(model), config_(config), list_(new QListWidget),
      abscissaEdit_(CreateNumberEdit(QStringLiteral("abscissa"))),
      valueEdit_(CreateNumberEdit(QStringLiteral("value"))),
      valueLabel_(
          new QLabel(QStringLiteral("Value (%1)").arg(QString::fromLatin1(description().unit)))),
      addButton_(new QPushButton(QStringLiteral("Add"))),
      deleteButton_(new QPushButton(QStringLiteral("Delete"))),
      copyButton_(new QPushButton(QStringLiteral("Copy values from current configuration"))),
      interpolation_(new QButtonGroup(this)), smoothFitNote_(new QLabel) {
    const bool power = description().againstPower;

    auto* currentValues = new QGroupBox(QStringLiteral("Current Values"));
    auto* currentLayout = new QVBoxLayout(currentValues);
    list_->setMinimumWidth(260);
    currentLayout->addWidget(list_);
    currentLayout->addWidget(deleteButton_, 0, Qt::AlignLeft);

    auto* interpolationBox = new QGroupBox(QStringLiteral("Interpolation"));
    auto* interpolationLayout = new QVBoxLayout(interpolationBox);
    // The power page lists smooth fit between the two others.
    const std::array<std::pair<int, const char*>, 3> types = {
        {{INTERP_LINEAR, "Linear"}, {INTERP_SMOOTH_FIT, "Smooth Fit"}, {INTERP_STEP, "Step"}}};
    for (const auto& [type, text] : types) {
        if (type == INTERP_SMOOTH_FIT && !power) continue;
        auto* button = new QRadioButton(QString::fromLatin1(text));
        interpolation_->addButton(button, type);
        interpolationLayout->addWidget(button);
    }
    smoothFitNote_->setText(QStringLiteral("This table was set to smooth fit, which applies to "
                                           "power tables only. It is written back as Linear "
                                           "unless you choose Step."));
    smoothFitNote_->setWordWrap(true);
    smoothFitNote_->setVisible(false);
    interpolationLayout->addWidget(smoothFitNote_);

    auto* newValue = new QGroupBox(QStringLiteral("New Value"));
    auto* newLayout = new QGridLayout(newValue);
    newLayout->addWidget(
        new QLabel(power ? QStringLiteral("Power (dBm)") : QStringLiteral("Frequency (GHz)")), 0,
        0);
    newLayout->addWidget(abscissaEdit_, 0, 1);
    newLayout->addWidget(valueLabel_, 1, 0);
    newLayout->addWidget(valueEdit_, 1, 1);
    newLayout->addWidget(addButton_, 2, 1, Qt::AlignRight);
    abscissaEdit_->setMaxLength(127);
    valueEdit_->setMaxLength(127);

    auto* right = new QVBoxLayout;
    right->addWidget(interpolationBox);
    right->addWidget(newValue);
    right->addStretch();
    right->addWidget(copyButton_);

    auto* layout = new QHBoxLayout(this);
    layout->addWidget(currentValues, 1);
    layout->addLayout(right);

    connect(addButton_, &QPushButton::clicked, this, &ValueTablePage::addLine);
    AddOnEnter(abscissaEdit_, [this] { addLine(); });
    AddOnEnter(valueEdit_, [this] { addLine(); });
    connect(deleteButton_, &QPushButton::clicked, this, &ValueTablePage::deleteSelectedLine);
    connect(copyButton_, &QPushButton::clicked, this, &ValueTablePage::copyFromConfiguration);
    connect(interpolation_, &QButtonGroup::idClicked, this, [this] {
        smoothFitNote_->setVisible(false);
        Q_EMIT changed();
    });

    fill();
}

QRadioButton* ValueTablePage::interpolationButton(int type) const {
    return static_cast<QRadioButton*>(interpolation_->button(type));
}

int ValueTablePage::checkedInterpolation() const {
    const int type = interpolation_->checkedId();
    return type < 0 ? 0 : type;
}

QStringList ValueTablePage::lines() const {
    QStringList texts;
    for (int i = 0; i < list_->count(); ++i)
        texts << list_->item(i)->text();
    return texts;
}

void ValueTablePage::appendLine(double abscissa, float value) {
    const ModelTermInfo& term = description();
    const QString line =
        (term.againstPower ? FormatFixed(abscissa, 1) + QStringLiteral(" dBm = ")
                           : FormatFixed(abscissa / kHzPerGHz, 6) + QStringLiteral(" GHz = ")) +
        FormatFixed(value, term.editorDecimals) + QLatin1Char(' ') + QString::fromLatin1(term.unit);
    auto* item = new QListWidgetItem(line);
    item->setData(kAbscissaRole, abscissa);
    item->setData(kValueRole, value);
    list_->addItem(item);
}

void ValueTablePage::sortLines() {
    SortListByLeadingNumber(list_, kAbscissaRole);
}

void ValueTablePage::showInterpolation(int type) {
    // A frequency page has no smooth-fit button: it then shows no type at all and says why.
    const bool unshown = type == INTERP_SMOOTH_FIT && interpolationButton(type) == nullptr;
    smoothFitNote_->setVisible(unshown);
    if (unshown) {
        interpolation_->setExclusive(false);
        for (QAbstractButton* button : interpolation_->buttons())
            button->setChecked(false);
        interpolation_->setExclusive(true);
        return;
    }
    if (type != INTERP_LINEAR && type != INTERP_SMOOTH_FIT) type = INTERP_STEP;
    interpolationButton(type)->setChecked(true);
}

void ValueTablePage::fill() {
    list_->clear();
    const ModelTermInfo& term = description();
    const TermTableOps& access = TableOpsOf(term);
    const void* component = ComponentOf(model_, term);
    int n = 0;
    // A table that cannot be read (its module has said why) leaves the page empty.
    if (component == nullptr || access.getNumPairs(component, term.tableCode, &n) == 0) return;
    for (int i = 0; i < n; ++i) {
        double abscissa = 0.0;
        float value = 0.0f;
        if (access.getAbscissa(component, term.tableCode, i, &abscissa) == 0 ||
            access.getValueAt(component, term.tableCode, i, &value) == 0)
            break;
        // Frequencies and values are magnitudes here; powers keep their sign.
        appendLine(term.againstPower ? abscissa : std::fabs(abscissa), std::fabs(value));
    }
    sortLines();
    int type = 0;
    if (access.getInterpType(component, term.tableCode, &type) != 0) showInterpolation(type);
}

bool ValueTablePage::writeBack() {
    const ModelTermInfo& term = description();
    const TermTableOps& access = TableOpsOf(term);
    void* component = ComponentOf(model_, term);
    if (component == nullptr) return false;
    const int n = list_->count();
    const int type = checkedInterpolation() == 0 ? INTERP_LINEAR : checkedInterpolation();
    if (access.setNumPairs(component, term.tableCode, n) == 0 ||
        access.setInterpType(component, term.tableCode, type) == 0)
        return false;
    for (int j = 0; j < n; ++j) {
        const QListWidgetItem* item = list_->item(j);
        if (access.setAbscissa(component, term.tableCode, j,
                               item->data(kAbscissaRole).toDouble()) == 0 ||
            access.setValueAt(component, term.tableCode, j, item->data(kValueRole).toFloat()) == 0)
            return false;
    }
    return true;
}

void ValueTablePage::addLine() {
    double abscissa = 0.0;
    if (description().againstPower) {
        // Powers keep their sign: -20 dBm is a power, not a loss.
        const std::optional<float> powerDbm = ReadLeadingFloat(abscissaEdit_->text());
        if (!powerDbm) {
            ShowErrorMessage("Invalid power.");
            RefuseField(abscissaEdit_);
            return;
        }
        abscissa = *powerDbm;
    } else {
        const std::optional<double> frequencyGHz = ReadLeadingDouble(abscissaEdit_->text());
        if (!frequencyGHz || !std::isfinite(*frequencyGHz * kHzPerGHz)) {
            ShowErrorMessage("Invalid frequency.");
            RefuseField(abscissaEdit_);
            return;
        }
        abscissa = std::fabs(*frequencyGHz * kHzPerGHz);
    }
    const std::optional<float> value = ReadLeadingFloat(valueEdit_->text());
    if (!value) {
        ShowErrorMessage("Invalid value.");
        RefuseField(valueEdit_);
        return;
    }
    appendLine(abscissa, std::fabs(*value));
    sortLines();
    Q_EMIT changed();
}

void ValueTablePage::deleteSelectedLine() {
    const int row = list_->currentRow();
    if (row < 0 || !list_->item(row)->isSelected()) return;
    delete list_->takeItem(row);
    Q_EMIT changed();
}

void ValueTablePage::copyFromConfiguration() {
    const ModelTermInfo& term = description();
    if (void* component = ComponentOf(model_, term); component != nullptr && config_ != nullptr)
        CopyComponent(config_, term.component, component);
    fill();
    Q_EMIT changed();
    Q_EMIT componentCopied(term.component);
}

} // namespace tolvane
