#include "ui/message_boxes.h"

#include "core/message_sink.h"
#include "ui/busy_cursor.h"

#include <QMessageBox>
#include <QPointer>

namespace tolvane {

void InstallMessageBoxes(QWidget* owner) {
    QPointer<QWidget> guardedOwner(owner);
    InstallMessageSink([guardedOwner](MessageKind kind, const std::string& text) {
        const bool error = kind == MessageKind::Error;
        QMessageBox box(error ? QMessageBox::Warning : QMessageBox::Information,
                        error ? QStringLiteral("Error") : QStringLiteral("Help"),
                        QString::fromStdString(text), QMessageBox::Ok, guardedOwner.data());
        box.setTextFormat(Qt::PlainText);
        const ArrowCursor arrow;
        box.exec();
    });
}

} // namespace tolvane
