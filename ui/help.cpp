#include "ui/help.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

namespace tolvane {

void ShowHelpTopic(QWidget* /*parent*/, int /*contextNumber*/) {
    // The help viewer of this desktop takes no context numbers: the file opens at its start.
    static bool viewerFailed = false;
    if (viewerFailed) return;
    const QFileInfo helpFile(QDir::current(), QString::fromUtf8(kHelpFileName));
    if (!helpFile.isFile()) return;
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(helpFile.absoluteFilePath())))
        viewerFailed = true;
}

} // namespace tolvane
