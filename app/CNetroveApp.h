#pragma once

#include "app/SingleInstance.h"

#include <QApplication>

namespace Netrove {

// Starts the program once per user session and runs the main window.
class CNetroveApp final : public QApplication
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CNetroveApp)

public:
    static constexpr const char* kInstanceName = kNetroveInstanceName;

    CNetroveApp(int& argc, char** argv);

    // Runs the main window to its end; always false, since the window's loop is the only one.
    bool InitInstance();
};

} // namespace Netrove
