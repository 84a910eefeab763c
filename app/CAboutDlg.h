#pragma once

#include <QDialog>

namespace Netrove {

// "Netrove Information": the application icon, the program's name and version, and OK.
class CAboutDlg final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CAboutDlg)

public:
    explicit CAboutDlg(QWidget* parent = nullptr);
};

} // namespace Netrove
