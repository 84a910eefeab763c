#include "app/CNetroveApp.h"

#include "app/CNetroveDlg.h"
#include "app/SingleInstance.h"
#include "discovery/SocketSupport.h"
#include "res/Resources.h"
#include "res/Strings.h"

#include <QMessageBox>

#include <cstdio>

namespace Netrove {

namespace {

const QString kCommandLineRunsText =
    QStringLiteral("netrove-cli is working with the devices. Start Netrove again once it has finished.");

} // namespace

CNetroveApp::CNetroveApp(int& argc, char** argv)
    : QApplication(argc, argv)
{
    setWindowIcon(ApplicationIcon());
    // The desktop matches the window to the installed netrove.desktop, and so to its icon.
    setDesktopFileName(QStringLiteral("netrove"));
}

bool CNetroveApp::InitInstance()
{
    SingleInstance instance(QString::fromLatin1(kInstanceName));
    if (!instance.TryLock()) {
        // Another copy runs: bring its window to the front and end without showing anything. A
        // running command line would lose its answers to this window, so the user is told to wait.
        if (instance.AskRunningCopy(kFindInstanceMessage, 200) == kCommandLineRunsAnswer) {
            std::fprintf(stderr, "netrove: %s\n", qPrintable(kCommandLineRunsText));
            QMessageBox box(QMessageBox::Information, ApplicationCaption(), kCommandLineRunsText,
                            QMessageBox::Ok);
            box.exec();
        }
        return false;
    }

    if (!CanOpenUdpSocket()) {
        QMessageBox box(QMessageBox::Warning, ApplicationCaption(), LoadString(IDS_SOCKET_FAILURE),
                        QMessageBox::Ok);
        box.exec();
        return false;
    }

    CNetroveDlg dlg;
    instance.Listen([&dlg] { return dlg.OnFindInstance(); });
    dlg.exec();
    return false;
}

} // namespace Netrove
