#pragma once

#include <QApplication>

namespace Netrove {

// Starts the program once per user session and runs the main window.
class CNetroveApp final : public QApplication
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CNetroveApp)

public:
    static constexpr const char* kInstanceName = "Netrove2.0-B9FC3E1B-4D58-44cb-A169-91D4A10623BD";

    CNetroveApp(int& argc, char** argv);

    // Runs the main window to its end; always false, since the window's loop is the only one.
    bool InitInstance();
};

} // namespace Netrove
