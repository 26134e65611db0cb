#include "ui/help/help.h"

#include "ui/help/chm_file.h"
#include "ui/help/help_viewer.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QPointer>
#include <QWidget>

namespace tolvane {
namespace {

// The help file in the current directory (the folder the program works in), else the installed
// one (<prefix>/share/tolvane for a program in <prefix>/bin), else the one beside the program.
QString FindHelpFile() {
    const QString name = QString::fromUtf8(kHelpFileName);
    const QString programFolder = QCoreApplication::applicationDirPath();
    for (const QString& folder :
         {QDir::currentPath(), programFolder + QStringLiteral("/../share/tolvane"),
          programFolder}) {
        const QFileInfo candidate(QDir(folder), name);
        if (candidate.isFile()) return candidate.absoluteFilePath();
    }
    return {};
}

} // namespace

void ShowHelpTopic(QWidget* parent, int contextNumber) {
    const QString path = FindHelpFile();
    if (path.isEmpty()) return;
    std::unique_ptr<ChmFile> file = ChmFile::Open(path);
    if (!file || file->topicForContext(contextNumber).isEmpty()) return;

    // One help window for the program. It belongs to the window that asked for help, so that it
    // can be used while that window is a modal dialog, and it goes when that window goes.
    static QPointer<HelpViewer> viewer;
    QWidget* owner = parent ? parent->window() : nullptr;
    if (!viewer) {
        viewer = new HelpViewer(owner);
    } else if (viewer->parentWidget() != owner) {
        const QRect geometry = viewer->geometry();
        viewer->setParent(owner, viewer->windowFlags() | Qt::Window);
        viewer->setGeometry(geometry);
    }
    viewer->setHelpFile(std::move(file), path);
    viewer->showContext(contextNumber);
    viewer->show();
    viewer->raise();
    viewer->activateWindow();
}

} // namespace tolvane
