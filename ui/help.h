#pragma once

class QWidget;

namespace tolvane {

/// The name of the program's help file, looked up in the current directory.
inline constexpr const char* kHelpFileName = "Tolvanev2.chm";

/// Help context numbers of the windows that offer help.
enum HelpContext : int {
    kHelpContents = 1,
    kHelpConfigurationDialog = 3,
    kHelpModelFrequenciesAndPower = 4,
    kHelpModelIfBandwidthAndAveraging = 5,
    kHelpCableConfiguration = 6,
    kHelpCalibrationConfiguration = 7,
    kHelpConfigurationDut = 9,
    kHelpConfigurationFrequencies = 10,
    kHelpVnaConfiguration = 11,
    kHelpModelDialog = 12,
    kHelpDriftPages = 13,
    kHelpCalibrationResidualPages = 14,
    kHelpConnectorRepeatabilityPages = 15,
    kHelpModelDut = 16,
    kHelpTestsetPages = 17,
};

/// The program's one help function, called by every "Help" button and "Help Contents...". Opens
/// the help file at `contextNumber` with the desktop's viewer; while the help file is missing it
/// does nothing at all, and a viewer that cannot be started is not retried later.
void ShowHelpTopic(QWidget* parent, int contextNumber);

} // namespace tolvane
