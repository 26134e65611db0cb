#pragma once

class QWidget;

namespace tolvane {

/// The name of the program's help file, looked up in the folder the program works in, in the
/// installed data folder and in the program's own folder, where the build puts it.
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
    kHelpMeasuredDut = 18,
    kHelpPlanner = 19,
    kHelpUserDutResults = 20,
    kHelpComputation = 21,
};

/// The program's one help function, called by every "Help" button and "Help Contents...". Shows
/// the topic the help file maps to `contextNumber` in the help window, which belongs to the
/// window of `parent`. A missing or unreadable help file, or a number it does not map, shows
/// nothing at all.
void ShowHelpTopic(QWidget* parent, int contextNumber);

} // namespace tolvane
