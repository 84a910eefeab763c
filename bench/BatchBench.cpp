#include "bench/BatchBench.h"

#include "autoset/IcmpProbe.h"
#include "batchset/BatchDevices.h"
#include "bench/BenchOutput.h"
#include "devicelist/DeviceListModel.h"
#include "engine/DeviceEngine.h"
#include "tests/lab/LabFixture.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

namespace Netrove::Bench {

namespace {

// Cameras as they come out of their boxes, all at one address with one password; `silent` of them,
// answering first, take their setting requests without a word.
bool StartCameras(LabFixture& lab, int devices, int silent)
{
    QString file;
    for (int i = 0; i < silent; ++i)
        file += QStringLiteral("kind=camera mac=02:53:00:00:00:%1 ip=192.168.1.64 result=none\n")
                    .arg(i, 2, 16, QLatin1Char('0'));
    return lab.Start(file, {QStringLiteral("--cameras"), QString::number(devices - silent),
                            QStringLiteral("--ip"), QStringLiteral("192.168.1.64")});
}

double Ms(const QElapsedTimer& clock)
{
    return double(clock.nsecsElapsed()) / 1e6;
}

} // namespace

void PrintBatchHeader()
{
    std::fprintf(Out(), "n,mode,confirmed,failed,probe_ms,apply_ms,verify_ms,total_ms,max_stall_ms\n");
    std::fflush(Out());
}

void RunBatch(int devices, int silent)
{
    const QString mode = silent > 0 ? QStringLiteral("silent") : QStringLiteral("factory");
    const auto fail = [&](const QString& why) {
        Note(QStringLiteral("%1 %2 failed: %3").arg(devices).arg(mode, why));
    };
    LabFixture lab;
    if (!StartCameras(lab, devices, silent)) {
        fail(lab.Error());
        return;
    }
    DeviceEngine engine;
    engine.SetSearchChoice({true, false, true, false});
    engine.Open();
    engine.StartSearch();
    const DeviceListModel& rows = engine.Rows();
    ServeUntil([&] { return rows.rowCount() >= devices; }, 10000);
    std::vector<BatchDevice> chosen;
    for (int row = 0; row < rows.rowCount(); ++row) {
        if (std::optional<BatchDevice> device = BatchDeviceOfRow(rows, row))
            chosen.push_back(std::move(*device));
    }
    if (int(chosen.size()) != devices) {
        fail(QStringLiteral("%1 listed").arg(chosen.size()));
        return;
    }

    // The addresses, as the dialog fills them in when it opens.
    const std::optional<BatchNetwork> network = BatchNetworkOf(chosen, rows);
    if (!network) {
        fail(QStringLiteral("no address of this computer on the devices' adapter"));
        return;
    }
    BatchSettings settings;
    settings.mask = NetworkMask(network->network);
    settings.gateway = NetworkGateway(network->network);
    settings.first = settings.gateway;
    ++settings.first[3];
    settings.password = QStringLiteral("admin");
    QElapsedTimer probe;
    probe.start();
    IcmpProber prober(network->network.adapter);
    std::set<Ipv4Octets> inUse;
    const BatchAddresses addresses =
        ChooseBatchAddresses(settings.first, chosen.size(), *network, prober, inUse);
    const double probeMs = Ms(probe);
    for (std::size_t i = 0; i < addresses.addresses.size(); ++i)
        chosen[i].newIp = addresses.addresses[i];
    const QString refusal =
        addresses.refusal.isEmpty() ? CheckBatch(chosen, settings, *network, inUse) : addresses.refusal;
    if (!refusal.isEmpty()) {
        fail(refusal);
        return;
    }
    std::vector<BatchItem> items;
    for (const BatchDevice& device : chosen)
        items.push_back(MakeBatchItem(device, settings));

    // From OK: the requests, their results, the search that checks every device.
    QElapsedTimer clock;
    double applyMs = -1;
    double totalMs = -1;
    QObject::connect(&engine, &DeviceEngine::searchStarted, &engine, [&] {
        if (applyMs < 0)
            applyMs = Ms(clock);
    });
    QObject::connect(&engine, &DeviceEngine::batchFinished, &engine, [&] { totalMs = Ms(clock); });
    StallMeter stalls;
    clock.start();
    stalls.Start();
    engine.StartBatch(std::move(items));
    ServeUntil([&] { return totalMs >= 0; }, 120000);
    stalls.Stop();
    if (totalMs < 0) {
        fail(QStringLiteral("the batch did not finish within 120 s"));
        return;
    }
    if (applyMs < 0)
        applyMs = totalMs; // nothing applied: no search checked anything
    int confirmed = 0;
    for (int i = 0; i < devices; ++i)
        confirmed += engine.Batch()->Confirmed(i) ? 1 : 0;
    std::fprintf(Out(), "%d,%s,%d,%d,%.0f,%.0f,%.0f,%.0f,%.1f\n", devices, qPrintable(mode), confirmed,
                 devices - confirmed, probeMs, applyMs, totalMs - applyMs, totalMs, stalls.WorstMs());
    std::fflush(Out());
    Note(QStringLiteral("%1 %2: addresses %3 to %4 in %5, %6 found in use; the longest stall had %7 ms "
                        "of the event loop's CPU time")
             .arg(devices)
             .arg(mode)
             .arg(QString::fromStdString(FormatDottedQuad(addresses.addresses.front())),
                  QString::fromStdString(FormatDottedQuad(addresses.addresses.back())),
                  NetworkText(network->network))
             .arg(inUse.size())
             .arg(stalls.WorstCpuMs(), 0, 'f', 1));
    lab.Stop();
}

} // namespace Netrove::Bench
