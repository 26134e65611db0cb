#pragma once

#include <QCursor>
#include <QGuiApplication>

namespace tolvane {

/// Shows the wait cursor over the whole program while it lives: a computation and its charts can
/// take a second or more at thousands of frequencies or DUT values.
class BusyCursor {
public:
    BusyCursor() { QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor)); }
    ~BusyCursor() { QGuiApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

/// The usual arrow while it lives, over a BusyCursor: a message box shown in the middle of a
/// computation waits for the user, not the other way round.
class ArrowCursor {
public:
    ArrowCursor() { QGuiApplication::setOverrideCursor(QCursor(Qt::ArrowCursor)); }
    ~ArrowCursor() { QGuiApplication::restoreOverrideCursor(); }
    ArrowCursor(const ArrowCursor&) = delete;
    ArrowCursor& operator=(const ArrowCursor&) = delete;
};

} // namespace tolvane
