#include "bench/FilterBench.h"

#include "app/CNetroveDlg.h"
#include "bench/BenchOutput.h"
#include "devicelist/DeviceListColumns.h"
#include "tests/app/MainWindowControls.h"
#include "tests/lab/LabFixture.h"
#include "tests/lab/ProcessFigures.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLineEdit>
#include <QRegularExpression>
#include <QTimer>

#include <algorithm>
#include <malloc.h>

namespace Netrove::Bench {

namespace {

// The simulator's cameras are 02:4E:52:xx:xx:xx; key by key, as an installer types a MAC from a
// box's label, this narrows 10 000 of them down to the 4 096 of 02:4E:52:00:1x:xx.
const QString kTyped = QStringLiteral("02:4e:52:00:1");

void Serve(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// The filter field set to `text` as one keystroke makes it, until the list has been drawn.
double Keystroke(QLineEdit* field, const QString& text)
{
    QElapsedTimer clock;
    clock.start();
    field->setText(text);
    QApplication::processEvents();
    return double(clock.nsecsElapsed()) / 1e6;
}

} // namespace

void PrintFilterHeader()
{
    std::fprintf(Out(), "n,mode,shown,filter_ms_median,filter_ms_max,sort_ms,max_stall_ms\n");
    std::fflush(Out());
}

void RunFilter(int devices)
{
    LabFixture lab;
    CNetroveDlg dlg;
    dlg.show();
    Serve(300);
    if (!lab.Start(QString(),
                   {QStringLiteral("--cameras"), QString::number(devices), QStringLiteral("--fault"),
                    QStringLiteral("jitter=200"), QStringLiteral("--seed"), QStringLiteral("1")})) {
        Note(QStringLiteral("%1 filter failed: %2").arg(devices).arg(lab.Error()));
        return;
    }
    auto* field = dlg.findChild<QLineEdit*>(QStringLiteral("editFilter"));
    field->setText(kTyped);

    // Answers arriving while the filter is active.
    StallMeter stalls;
    ::malloc_trim(0);
    const long long rssBefore = ResidentBytes();
    stalls.Start();
    MainWindow::SearchButton(dlg)->click();
    for (int waited = 0; waited < 10000 && MainWindow::Rows(dlg)->rowCount() < devices; waited += 50)
        Serve(50);
    Serve(300);
    stalls.Stop();
    const long long rssAfter = ResidentBytes();
    const QRegularExpressionMatch heard =
        QRegularExpression(QStringLiteral("^Scan (\\d+) Items?")).match(MainWindow::StatusLine(dlg)->text());
    const int rows = MainWindow::Rows(dlg)->rowCount();
    const int shown = MainWindow::List(dlg)->model()->rowCount();

    // Typed again key by key with every device listed, then erased key by key.
    field->clear();
    QApplication::processEvents();
    std::vector<double> keystrokes;
    for (qsizetype length = 1; length <= kTyped.size(); ++length)
        keystrokes.push_back(Keystroke(field, kTyped.left(length)));
    for (qsizetype length = kTyped.size() - 1; length >= 0; --length)
        keystrokes.push_back(Keystroke(field, kTyped.left(length)));
    std::vector<double> sorted = keystrokes;
    std::sort(sorted.begin(), sorted.end());

    double sortMs = 0;
    for (int column = 0; column < ColumnCount; ++column) {
        QElapsedTimer sort;
        sort.start();
        MainWindow::List(dlg)->ToggleSort(column);
        sortMs = std::max(sortMs, double(sort.nsecsElapsed()) / 1e6);
        QApplication::processEvents();
    }

    std::fprintf(Out(), "%d,filter,%d,%.2f,%.2f,%.2f,%.1f\n", devices, shown, sorted[sorted.size() / 2],
                 sorted.back(), sortMs, stalls.WorstMs());
    std::fflush(Out());
    Note(QStringLiteral("%1 filter: %2 heard (status line), %3 listed, %4 shown while \"%5\" was typed, "
                        "%6 bytes per row")
             .arg(devices)
             .arg(heard.hasMatch() ? heard.captured(1) : QStringLiteral("?"))
             .arg(rows)
             .arg(shown)
             .arg(kTyped)
             .arg(rows > 0 ? (rssAfter - rssBefore) / rows : 0));
    lab.Stop();
}

} // namespace Netrove::Bench
