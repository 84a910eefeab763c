#pragma once

// Runs a modal dialog and plays a test's steps from inside its modal loops, as a person would:
// act on the dialog, or note the message box that is up and press its OK.

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QString>
#include <QTest>
#include <QTimer>

#include <deque>
#include <functional>
#include <vector>

namespace Netrove::Testing {

struct SeenBox
{
    QString text;
    QString caption;
    bool ownedByDialog = false;
    bool dialogVisible = false;
};

// One step of a run: act on the dialog, or (box) note the message box that is up and press its OK.
struct Step
{
    bool box = false;
    std::function<void(QWidget*)> act;
};
inline const Step kAnswerBox{true, {}};

struct ModalRun
{
    int result = -1;
    std::vector<SeenBox> boxes;
    QString unfinished; // empty when every step ran and nothing was left open
};

// Each step runs once the modal widget it is meant for is up. Five seconds without progress close
// whatever is open, so that no test hangs on a box.
inline ModalRun RunModal(QDialog& dialog, std::deque<Step> steps)
{
    ModalRun out;
    bool scheduled = false;
    QElapsedTimer sinceStep;
    sinceStep.start();
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &poll, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (scheduled || !modal)
            return;
        auto* box = qobject_cast<QMessageBox*>(modal);
        if (!steps.empty() && steps.front().box == (box != nullptr)) {
            scheduled = true;
            sinceStep.restart();
            // From a timer of its own, so that a box the step opens does not stop the polling.
            QTimer::singleShot(0, modal, [&, step = steps.front(), target = QPointer<QWidget>(modal)] {
                scheduled = false;
                if (!target)
                    return;
                if (auto* shownBox = qobject_cast<QMessageBox*>(target.data())) {
                    out.boxes.push_back({shownBox->text(), shownBox->windowTitle(),
                                         shownBox->parentWidget() == &dialog, dialog.isVisible()});
                    QTest::mouseClick(shownBox->button(QMessageBox::Ok), Qt::LeftButton);
                } else {
                    step.act(target);
                }
            });
            steps.pop_front();
        } else if (sinceStep.elapsed() > 5000) {
            out.unfinished =
                steps.empty() ? QStringLiteral("left open") : QStringLiteral("a step never came");
            steps.clear();
            for (int i = 0; i < 10 && QApplication::activeModalWidget(); ++i)
                qobject_cast<QDialog*>(QApplication::activeModalWidget())->reject();
        }
    });
    poll.start(10);
    out.result = dialog.exec();
    if (out.unfinished.isEmpty() && !steps.empty())
        out.unfinished = QStringLiteral("%1 steps never ran").arg(steps.size());
    return out;
}

template <typename Widget> Widget* Find(QWidget* dialog, const char* objectName)
{
    return dialog->findChild<Widget*>(QString::fromLatin1(objectName));
}

// The dialog's own "Cancel" button.
inline const Step kCancel{false, [](QWidget* dialog) {
                              QTest::mouseClick(Find<QPushButton>(dialog, "buttonCancel"), Qt::LeftButton);
                          }};

} // namespace Netrove::Testing
