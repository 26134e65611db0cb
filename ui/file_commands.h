#pragma once

#include <QString>

class QWidget;

namespace tolvane {

// The File menu's commands. Each asks for a file name with a dialog owned by `parent` (Cancel
// does nothing) and then runs its second half, which tests call directly. The library reports
// every failure in its own message box.

/// "Save Configuration...": writes the current configuration (preset name "tolvane.cfg").
void SaveConfiguration(QWidget* parent);
/// "Recall Configuration...": reads a configuration (preset "*.cfg"). True when it replaced the
/// current one.
bool RecallConfiguration(QWidget* parent);
/// "Save Model...": writes the current model (preset name "tolvane.mdl").
void SaveModel(QWidget* parent);
/// "Recall Model...": reads a model (preset "*.mdl"). True when it replaced the current one.
bool RecallModel(QWidget* parent);
/// "Output Tabular Data...": writes the stored results (preset name "uncertainty.dat"), one
/// numbered file per result when there are several, and then says which files it wrote.
void OutputTabularData(QWidget* parent);

bool SaveConfigurationTo(const QString& path);
/// Reads `path` into a new configuration record, which replaces the current configuration only
/// when reading succeeded; otherwise the current one stays and the new record is freed.
bool RecallConfigurationFrom(const QString& path);
bool SaveModelTo(const QString& path);
/// As RecallConfigurationFrom, for the current model.
bool RecallModelFrom(const QString& path);
bool OutputTabularDataTo(const QString& path);
/// What "Output Tabular Data..." tells after it numbered its files: their folder and names, one
/// a line. Empty when it wrote one file under the chosen name.
[[nodiscard]] QString WrittenFilesNote(const QString& path);

} // namespace tolvane
