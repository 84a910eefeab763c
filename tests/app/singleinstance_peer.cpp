// A stand-in for the program, started by tst_singleinstance: it guards itself with SingleInstance and
// says on standard output what happened, so that the test can watch several copies at once.
//
//   (no option)   first copy: shows a window and answers second starts
//   --modal       first copy: answers from inside a modal dialog's loop
//   --no-listen   first copy that holds the lock but never answers, as one still starting
//   --hang        first copy that listens but whose event loop never runs again
// A second copy prints "second answered" or "second unanswered" and ends.

#include "app/SingleInstance.h"

#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <QWidget>

#include <chrono>
#include <cstdio>
#include <thread>

namespace {

void Say(const char* line)
{
    std::printf("%s\n", line);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QStringList arguments = app.arguments();

    Netrove::SingleInstance instance(QStringLiteral("Netrove2.0-B9FC3E1B-4D58-44cb-A169-91D4A10623BD"));
    if (!instance.TryLock()) {
        Say(instance.AskRunningCopyToShow() ? "second answered" : "second unanswered");
        return 0;
    }
    Say("first");

    if (arguments.contains(QStringLiteral("--no-listen"))) {
        Say("not listening");
        return app.exec();
    }

    QWidget window;
    window.setObjectName(QStringLiteral("peerWindow"));
    window.show();
    const bool listening = instance.Listen([&window] {
        if (window.isMinimized())
            window.showNormal();
        window.raise();
        window.activateWindow();
        Say("asked to front");
        return Netrove::kFindInstanceMessage;
    });
    if (!listening) {
        Say("listen failed");
        return 1;
    }

    if (arguments.contains(QStringLiteral("--hang"))) {
        Say("listening");
        for (;;)
            std::this_thread::sleep_for(std::chrono::seconds(1));
    }

    if (arguments.contains(QStringLiteral("--modal"))) {
        QTimer::singleShot(0, &window, [&window] {
            QDialog dialog(&window);
            QTimer::singleShot(0, &dialog, [] { Say("listening"); });
            dialog.exec();
        });
    } else {
        Say("listening");
    }
    return app.exec();
}
