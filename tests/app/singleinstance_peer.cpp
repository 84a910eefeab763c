// A stand-in for the program, started by tst_singleinstance: it guards itself with SingleInstance and
// says on standard output what happened, so that the test can watch several copies at once.
//
//   (no option)   first copy: shows a window and answers second starts
//   --modal       first copy: answers from inside a modal dialog's loop
//   --no-listen   first copy that holds the lock but never answers, as one still starting
//   --hang        first copy that listens but whose event loop never runs again
//   --gate PATH   says "waiting", then takes its turn at the lock only once PATH exists, so that
//                 many copies reach the lock at the same moment
// Every copy says "through N" as it reaches the lock, N the monotonic clock in milliseconds, and a
// second copy "decided N" once it knows what to do.
// A second copy prints "second answered" or "second unanswered" and ends.

#include "app/SingleInstance.h"

#include <QApplication>
#include <QDialog>
#include <QFile>
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

void SayTime(const char* prefix)
{
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    std::printf("%s%lld\n", prefix,
                static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count()));
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QStringList arguments = app.arguments();

    if (const qsizetype gate = arguments.indexOf(QStringLiteral("--gate"));
        gate >= 0 && gate + 1 < arguments.size()) {
        Say("waiting");
        // Polled every millisecond, so that all copies leave the gate within about a millisecond.
        while (!QFile::exists(arguments[gate + 1]))
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    SayTime("through ");

    Netrove::SingleInstance instance(QStringLiteral("Netrove2.0-B9FC3E1B-4D58-44cb-A169-91D4A10623BD"));
    if (!instance.TryLock()) {
        Say(instance.AskRunningCopyToShow() ? "second answered" : "second unanswered");
        SayTime("decided ");
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
