#include "core/vector_state.h"
#include "files/startup.h"
#include "ui/main_window.h"
#include "ui/message_boxes.h"
#include "ui/work_folder.h"

#include <QApplication>
#include <QScreen>

#include <clocale>

// Tolvane reads its component database, default configuration and default model from the folder
// it works in: the start folder when they are there, else the user's data folder, filled from the
// installed data on the first start. Without them it shows what is missing and ends.
int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    // Qt's start-up leaves the AVX registers' upper halves in use, which slows the older SSE
    // code of every thread started from here (the threads of the computations clear it too).
    tolvane::ClearUpperVectorState();
    // The user's data folder is named after the program, whatever its file is called.
    QCoreApplication::setApplicationName(QStringLiteral("tolvane"));
    // Qt switches the C library to the user's locale; the file readers and writers use sscanf and
    // printf, whose decimal separator must stay the point on every desktop.
    std::setlocale(LC_NUMERIC, "C");
    int status = 1;
    tolvane::InstallMessageBoxes(nullptr);
    tolvane::EnterWorkFolder();
    {
        tolvane::MainWindow window;
        tolvane::InstallMessageBoxes(&window);
        // Without a window manager "maximized" means nothing: start with the whole screen anyway.
        window.setGeometry(window.screen()->availableGeometry());
        window.showMaximized();
        if (window.startUp()) status = QApplication::exec() == 0 ? 0 : 1;
        tolvane::InstallMessageBoxes(nullptr);
    }
    tolvane::ShutDown();
    return status;
}
