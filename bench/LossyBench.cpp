#include "bench/LossyBench.h"

#include "bench/BenchOutput.h"
#include "devicelist/DeviceListModel.h"
#include "engine/DeviceEngine.h"
#include "tests/lab/LabFixture.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>

namespace Netrove::Bench {

void PrintLossyHeader()
{
    std::fprintf(Out(), "n,loss_percent,searches,mean_listed,fewest_listed,missed,sends_mean\n");
    std::fflush(Out());
}

void RunLossy(int devices, int lossPercent, int searches)
{
    LabFixture lab;
    if (!lab.Start(QString(), {QStringLiteral("--cameras"), QString::number(devices),
                               QStringLiteral("--fault"), QStringLiteral("loss=%1").arg(lossPercent)})) {
        Note(QStringLiteral("%1 cameras, %2 %% lost: %3").arg(devices).arg(lossPercent).arg(lab.Error()));
        return;
    }
    DeviceEngine engine;
    engine.SetSearchChoice({true, false, true, false});
    engine.Open();
    int listed = 0;
    int fewest = devices;
    int sends = 0;
    for (int search = 0; search < searches; ++search) {
        bool finished = false;
        const QMetaObject::Connection done =
            QObject::connect(&engine, &DeviceEngine::searchFinished, &engine, [&] { finished = true; });
        engine.StartSearch();
        ServeUntil([&] { return finished; }, 10000);
        QObject::disconnect(done);
        const int rows = engine.Rows().rowCount();
        listed += rows;
        fewest = std::min(fewest, rows);
        sends += engine.SearchSends();
    }
    std::fprintf(Out(), "%d,%d,%d,%.2f,%d,%d,%.1f\n", devices, lossPercent, searches,
                 double(listed) / searches, fewest, devices * searches - listed, double(sends) / searches);
    std::fflush(Out());
    lab.Stop();
}

namespace {

struct CliRun
{
    int exitCode = -1;
    int nowAt = 0;
    double seconds = 0;
};

CliRun RunCli(const QStringList& arguments)
{
    QTemporaryDir runtime;
    QProcess cli;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    cli.setProcessEnvironment(environment);
    QElapsedTimer clock;
    clock.start();
    cli.start(QCoreApplication::applicationDirPath() + QStringLiteral("/netrove-cli"), arguments);
    CliRun run;
    if (!cli.waitForFinished(200000)) {
        cli.kill();
        cli.waitForFinished();
        return run;
    }
    run.seconds = double(clock.elapsed()) / 1000;
    run.exitCode = cli.exitCode();
    run.nowAt = int(QString::fromUtf8(cli.readAllStandardOutput()).count(QStringLiteral(" now at ")));
    return run;
}

void PrintCli(const char* command, int devices, const CliRun& run)
{
    std::fprintf(Out(), "%s,%d,%d,%d,%.1f\n", command, devices, run.nowAt, run.exitCode, run.seconds);
    std::fflush(Out());
}

} // namespace

void PrintRestartHeader()
{
    std::fprintf(Out(), "command,devices,now_at,exit_code,seconds\n");
    std::fflush(Out());
}

void RunRestart()
{
    LabFixture lab;
    if (!lab.Start(QStringLiteral("kind=camera mac=02:52:00:00:00:01 ip=192.168.1.64 reboot=40\n"))) {
        Note(lab.Error());
        return;
    }
    PrintCli("set", 1,
             RunCli({QStringLiteral("set"), QStringLiteral("02:52:00:00:00:01"), QStringLiteral("--password"),
                     QStringLiteral("admin"), QStringLiteral("--static"), QStringLiteral("192.168.1.150"),
                     QStringLiteral("--mask"), QStringLiteral("255.255.255.0"), QStringLiteral("--gateway"),
                     QStringLiteral("192.168.1.1")}));

    // Thirty cameras fresh from their boxes, each taking its own time to restart.
    constexpr int kCameras = 30;
    QString file;
    for (int i = 0; i < kCameras; ++i)
        file += QStringLiteral("kind=camera mac=02:52:00:00:01:%1 ip=192.168.1.64 reboot=%2\n")
                    .arg(i, 2, 16, QLatin1Char('0'))
                    .arg(20 + (20 * i) / (kCameras - 1));
    if (!lab.Start(file)) {
        Note(lab.Error());
        return;
    }
    PrintCli(
        "set-many", kCameras,
        RunCli({QStringLiteral("set-many"), QStringLiteral("--all"), QStringLiteral("--from"),
                QStringLiteral("192.168.1.150"), QStringLiteral("--password"), QStringLiteral("admin")}));
    lab.Stop();
}

} // namespace Netrove::Bench
