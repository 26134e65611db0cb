#include "ui/configuration/configuration_dialog.h"

#include "components/dut.h"
#include "core/record_name.h"
#include "core/units.h"
#include "engine/config.h"
#include "engine/program_state.h"
#include "ui/charts/result_presenter.h"
#include "ui/configuration/cable_config_dialog.h"
#include "ui/configuration/calibration_config_dialog.h"
#include "ui/configuration/dut_config_dialog.h"
#include "ui/configuration/frequency_config_dialog.h"
#include "ui/configuration/vna_config_dialog.h"
#include "ui/help/help.h"
#include "ui/number_text.h"
#include "ui/record_name_combo.h"

#include <QFrame>
#include <QIcon>
#include <QPushButton>

#include <algorithm>

namespace tolvane {
namespace {

// The picture buttons are squares of this side, 10 pixels apart; the pictures are 75 (cables) or
// 80 pixels.
constexpr int kButtonSide = 85;
constexpr int kGap = 10;

struct PartPicture {
    const char* label; // the button's own text, kept for tool tips and accessibility
    const char* resource;
    int side;
};

constexpr PartPicture kPictures[ConfigurationDialog::PartCount] = {
    {"VNA", ":/config/vna.svg", 80},        {"Frequencies", ":/config/frequencies.svg", 80},
    {"Cable 1", ":/config/cable1.svg", 75}, {"DUT", ":/config/dut.svg", 80},
    {"Cable 2", ":/config/cable2.svg", 75}, {"Calibration", ":/config/calibration.svg", 80},
};

ConfigInfo* CurrentConfig() {
    return GlobalProgramState().currentConfig;
}

QString VnaSummary(const ConfigInfo* config) {
    RecordName name{};
    float powerDbm = 0.0f;
    float ifBandwidthHz = 0.0f;
    int averages = 0;
    if (GetConfigVNAName(config, name.data(), int(name.size())) == 0 ||
        GetConfigPower(config, &powerDbm) == 0 || GetConfigIFBW(config, &ifBandwidthHz) == 0 ||
        GetConfigAverages(config, &averages) == 0)
        return {};
    return RecordNameText(name.data()) +
           QStringLiteral("\nPort power %1 dBm, IF bandwidth %2 Hz, averaging factor %3")
               .arg(FormatFixed(powerDbm, 1), FormatFixed(ifBandwidthHz, 1))
               .arg(averages);
}

QString FrequencySummary(const ConfigInfo* config) {
    int count = 0;
    if (GetConfigNumFreqs(config, &count) == 0 || count < 1) return {};
    double lowestHz = 0.0;
    double highestHz = 0.0;
    for (int i = 0; i < count; ++i) {
        double frequencyHz = 0.0;
        if (GetConfigFreq(config, i, &frequencyHz) == 0) return {};
        lowestHz = i == 0 ? frequencyHz : std::min(lowestHz, frequencyHz);
        highestHz = i == 0 ? frequencyHz : std::max(highestHz, frequencyHz);
    }
    return QStringLiteral("%1 frequencies from %2 to %3 GHz")
        .arg(count)
        .arg(FormatFixed(lowestHz / kHzPerGHz, 6), FormatFixed(highestHz / kHzPerGHz, 6));
}

QString CableSummary(const ConfigInfo* config, int port) {
    RecordName dielectric{};
    float lengthM = 0.0f;
    float tempVarC = 0.0f;
    if (GetConfigDielName(config, port, dielectric.data(), int(dielectric.size())) == 0 ||
        GetConfigCableLength(config, port, &lengthM) == 0 ||
        GetConfigTempVar(config, &tempVarC) == 0)
        return {};
    return RecordNameText(dielectric.data()) +
           QStringLiteral(", %1 m, temperature variation %2 °C")
               .arg(FormatFixed(lengthM, 3), FormatFixed(tempVarC, 3));
}

QString SweepSummary(const char* type, int number, float minimumDb, float maximumDb) {
    return QStringLiteral("%1: %2 values from %3 to %4 dB")
        .arg(QString::fromUtf8(type))
        .arg(number)
        .arg(FormatFixed(minimumDb, 1), FormatFixed(maximumDb, 1));
}

QString DutSummary(const ConfigInfo* config) {
    DUTInfo* dut = nullptr;
    int type = 0;
    if (GetConfigDUT(config, &dut) == 0 || GetDUTType(dut, &type) == 0) return {};
    float minimumDb = 0.0f;
    float maximumDb = 0.0f;
    int number = 0;
    switch (type) {
    case DUT_REFLECTION_ONLY:
        if (GetDUTReflMin(dut, &minimumDb) == 0 || GetDUTReflMax(dut, &maximumDb) == 0 ||
            GetDUTReflNumValues(dut, &number) == 0)
            return {};
        return SweepSummary("Reflection Only", number, minimumDb, maximumDb);
    case DUT_TRANSMISSION_ONLY:
        if (GetDUTTransMin(dut, &minimumDb) == 0 || GetDUTTransMax(dut, &maximumDb) == 0 ||
            GetDUTTransNumValues(dut, &number) == 0)
            return {};
        return SweepSummary("Transmission Only", number, minimumDb, maximumDb);
    default: {
        float s11 = 0.0f, s12 = 0.0f, s21 = 0.0f, s22 = 0.0f, startGHz = 0.0f, stopGHz = 0.0f;
        int points = 0;
        int sweep = 0;
        if (GetDUTUserValues(dut, &s11, &s12, &s21, &s22, &startGHz, &stopGHz, &points) == 0 ||
            GetDUTFreqSweep(dut, &sweep) == 0)
            return {};
        QString text = QStringLiteral("User Defined: S11 %1, S12 %2, S21 %3, S22 %4 dB")
                           .arg(FormatFixed(s11, 3), FormatFixed(s12, 3), FormatFixed(s21, 3),
                                FormatFixed(s22, 3));
        if (sweep == 1)
            text += QStringLiteral("\nFrequency sweep from %1 to %2 GHz in %3 points")
                        .arg(FormatFixed(startGHz, 3), FormatFixed(stopGHz, 3))
                        .arg(points);
        return text;
    }
    }
}

QString CalibrationSummary(const ConfigInfo* config) {
    RecordName kit{};
    if (GetConfigCalName(config, kit.data(), int(kit.size())) == 0) return {};
    return RecordNameText(kit.data());
}

} // namespace

ConfigurationDialog::ConfigurationDialog(ResultPresenter* presenter, QWidget* parent)
    : QDialog(parent), presenter_(presenter) {
    setWindowTitle(QStringLiteral("Configuration"));
    setModal(false);
    createButtons();
    placeButtons();
}

void ConfigurationDialog::createButtons() {
    // The instrument's frame goes first so that the VNA and frequency pictures sit on it.
    auto* frame = new QFrame(this);
    frame->setObjectName(QStringLiteral("instrumentFrame"));
    frame->setStyleSheet(QStringLiteral("QFrame#instrumentFrame { border: 1px solid black; }"));

    for (int part = 0; part < PartCount; ++part) {
        const PartPicture& picture = kPictures[part];
        auto* button = new QPushButton(this);
        const QString label = QString::fromUtf8(picture.label);
        button->setObjectName(label);
        button->setAccessibleName(label);
        button->setIcon(QIcon(QString::fromUtf8(picture.resource)));
        button->setIconSize(QSize(picture.side, picture.side));
        partButtons_[part] = button;
    }
    computeButton_ = new QPushButton(QStringLiteral("Compute Configuration"), this);
    computeButton_->setDefault(true);
    helpButton_ = new QPushButton(QStringLiteral("Help"), this);

    connect(partButtons_[Vna], &QPushButton::clicked, this, &ConfigurationDialog::editVna);
    connect(partButtons_[Frequencies], &QPushButton::clicked, this,
            &ConfigurationDialog::editFrequencies);
    connect(partButtons_[Cable1], &QPushButton::clicked, this, [this] { editCable(1); });
    connect(partButtons_[Dut], &QPushButton::clicked, this, &ConfigurationDialog::editDut);
    connect(partButtons_[Cable2], &QPushButton::clicked, this, [this] { editCable(2); });
    connect(partButtons_[Calibration], &QPushButton::clicked, this,
            &ConfigurationDialog::editCalibration);
    connect(computeButton_, &QPushButton::clicked, this, &ConfigurationDialog::compute);
    connect(helpButton_, &QPushButton::clicked, this,
            [this] { ShowHelpTopic(this, kHelpConfigurationDialog); });
}

void ConfigurationDialog::placeButtons() {
    // The picture of the set-up: the cables hang from the instrument with the DUT between them
    // and the calibration kit below it. Each button is placed from the ones placed before it.
    const auto place = [this](Part part, int x, int y) {
        partButtons_[part]->setGeometry(x, y, kButtonSide, kButtonSide);
        return partButtons_[part]->geometry();
    };
    const QRect cable1 = place(Cable1, 20, 135);
    const QRect dut = place(Dut, cable1.right() + 1 + kGap, cable1.top());
    const QRect cable2 = place(Cable2, dut.right() + 1 + kGap, cable1.top());
    const QRect calibration = place(Calibration, dut.left(), dut.bottom() + 1 + kGap);
    place(Vna, cable1.left() + 30, 30);
    place(Frequencies, cable2.left() - 30, 30);
    // QRect::right() is the last pixel inside; the edges below are one past it.
    const int setupRight = cable2.right() + 1;
    findChild<QFrame*>(QStringLiteral("instrumentFrame"))
        ->setGeometry(20, 20, setupRight - 20, 105);

    const QSize computeSize = computeButton_->sizeHint();
    const int buttonsTop = calibration.bottom() + 1 + 20;
    computeButton_->setGeometry(cable1.left(), buttonsTop, computeSize.width(),
                                computeSize.height());
    const QSize helpSize(std::max(helpButton_->sizeHint().width(), kButtonSide),
                         computeSize.height());
    helpButton_->setGeometry(setupRight - helpSize.width(), buttonsTop, helpSize.width(),
                             helpSize.height());
    setFixedSize(setupRight + 25, buttonsTop + helpSize.height() + 20);
}

void ConfigurationDialog::refresh() {
    const ConfigInfo* config = CurrentConfig();
    if (config == nullptr) return;
    const QString summaries[PartCount] = {
        VnaSummary(config), FrequencySummary(config), CableSummary(config, 1),
        DutSummary(config), CableSummary(config, 2),  CalibrationSummary(config),
    };
    const char* const titles[PartCount] = {"VNA Configuration", "Configuration Frequencies",
                                           "Cable on Port 1",   "Configuration DUT",
                                           "Cable on Port 2",   "Calibration Configuration"};
    for (int part = 0; part < PartCount; ++part) {
        QString tip = QString::fromUtf8(titles[part]);
        if (!summaries[part].isEmpty()) tip += QLatin1Char('\n') + summaries[part];
        partButtons_[part]->setToolTip(tip);
    }
}

void ConfigurationDialog::editVna() {
    VnaConfigDialog editor(CurrentConfig(), !vnaEditorOpened_, this);
    vnaEditorOpened_ = true;
    editor.exec();
    refresh();
}

void ConfigurationDialog::editFrequencies() {
    FrequencyConfigDialog editor(CurrentConfig(), this);
    editor.exec();
    refresh();
}

void ConfigurationDialog::editCable(int port) {
    CableConfigDialog editor(CurrentConfig(), port, this);
    editor.exec();
    refresh();
}

void ConfigurationDialog::editDut() {
    DUTInfo* dut = nullptr;
    if (GetConfigDUT(CurrentConfig(), &dut) == 0) return;
    DutConfigDialog editor(dut, QStringLiteral("Configuration DUT"), kHelpConfigurationDut, this);
    editor.exec();
    refresh();
}

void ConfigurationDialog::editCalibration() {
    CalibrationConfigDialog editor(CurrentConfig(), this);
    editor.exec();
    refresh();
}

void ConfigurationDialog::compute() {
    presenter_->computeConfiguration(this);
}

} // namespace tolvane
