#include "ui/file_commands.h"

#include "engine/config.h"
#include "engine/model.h"
#include "engine/program_state.h"
#include "files/config_file.h"
#include "files/export.h"
#include "files/model_file.h"
#include "ui/background_task.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

namespace tolvane {
namespace {

// The file dialogs of the File menu: a preset name, no filter list; saving asks before
// overwriting, recalling wants an existing file. The current directory is left as it is.
QString AskForFile(QWidget* parent, const QString& caption, const QString& preset, bool save) {
    QFileDialog dialog(parent, caption);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setOption(QFileDialog::ReadOnly, false);
    dialog.selectFile(preset);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().constFirst();
}

QByteArray NativePath(const QString& path) {
    return QFile::encodeName(path);
}

// The recall rule: read into a new record, which replaces `*current` only when reading
// succeeded; otherwise the current record stays and the new one is freed.
template <typename Record>
bool Recall(const QString& path, Record** current, Record* (*create)(), int (*destroy)(Record*),
            int (*read)(Record*, const char*)) {
    Record* recalled = create();
    if (recalled == nullptr) return false;
    if (read(recalled, NativePath(path).constData()) == 0) {
        (void)destroy(recalled);
        return false;
    }
    if (*current != nullptr) (void)destroy(*current);
    *current = recalled;
    return true;
}

} // namespace

void SaveConfiguration(QWidget* parent) {
    const QString path = AskForFile(parent, QStringLiteral("Save Configuration"),
                                    QStringLiteral("tolvane.cfg"), true);
    if (!path.isEmpty()) (void)SaveConfigurationTo(path);
}

bool RecallConfiguration(QWidget* parent) {
    const QString path =
        AskForFile(parent, QStringLiteral("Recall Configuration"), QStringLiteral("*.cfg"), false);
    return !path.isEmpty() && RecallConfigurationFrom(path);
}

void SaveModel(QWidget* parent) {
    const QString path =
        AskForFile(parent, QStringLiteral("Save Model"), QStringLiteral("tolvane.mdl"), true);
    if (!path.isEmpty()) (void)SaveModelTo(path);
}

bool RecallModel(QWidget* parent) {
    const QString path =
        AskForFile(parent, QStringLiteral("Recall Model"), QStringLiteral("*.mdl"), false);
    return !path.isEmpty() && RecallModelFrom(path);
}

void OutputTabularData(QWidget* parent) {
    const QString path = AskForFile(parent, QStringLiteral("Output Tabular Data"),
                                    QStringLiteral("uncertainty.dat"), true);
    if (path.isEmpty() || !OutputTabularDataTo(path)) return;
    // A chosen name that the files do not bear would leave the user looking for it.
    if (const QString note = WrittenFilesNote(path); !note.isEmpty())
        QMessageBox::information(parent, QStringLiteral("Output Tabular Data"), note);
}

bool SaveConfigurationTo(const QString& path) {
    return WriteConfigFile(GlobalProgramState().currentConfig, NativePath(path).constData()) != 0;
}

bool RecallConfigurationFrom(const QString& path) {
    return Recall(path, &GlobalProgramState().currentConfig, CreateConfigInfo, DestroyConfigInfo,
                  ReadConfigFile);
}

bool SaveModelTo(const QString& path) {
    return WriteModelFile(GlobalProgramState().currentModel, NativePath(path).constData()) != 0;
}

bool RecallModelFrom(const QString& path) {
    return Recall(path, &GlobalProgramState().currentModel, CreateModelInfo, DestroyModelInfo,
                  ReadModelFile);
}

QString WrittenFilesNote(const QString& path) {
    const int count = GlobalProgramState().resultCount;
    if (count <= 1) return {};
    const QFileInfo chosen(path);
    QString note = QStringLiteral("The results of %1 computations were written to %1 files in "
                                  "%2:\n")
                       .arg(count)
                       .arg(QDir::toNativeSeparators(chosen.absolutePath()));
    for (int slot = 0; slot < count && slot < kResultSlots; ++slot)
        note += QStringLiteral("\n") + QFileInfo(QString::fromStdString(NumberedExportPath(
                                                     chosen.fileName().toStdString(), slot, count)))
                                           .fileName();
    return note;
}

bool OutputTabularDataTo(const QString& path) {
    // 20 slots of many DUT values are hundreds of megabytes of text: written off the window
    // thread; Cancel keeps the file being written as it was.
    const QByteArray nativePath = NativePath(path);
    bool written = false;
    const bool completed =
        RunInBackground(QApplication::activeWindow(), QStringLiteral("Writing the tables..."),
                        [&](TaskControl& control) {
                            written = ExportResultSlots(nativePath.constData(), [&control] {
                                          return control.cancelRequested();
                                      }) != 0;
                        });
    return completed && written;
}

} // namespace tolvane
