#include "bench/OnvifBench.h"

#include "bench/BenchOutput.h"
#include "devicelist/DeviceListModel.h"
#include "engine/DeviceEngine.h"
#include "tests/lab/LabFixture.h"

#include <QJsonObject>

#include <ctime>

namespace Netrove::Bench {

namespace {

double CpuMs()
{
    return double(std::clock()) * 1000.0 / CLOCKS_PER_SEC;
}

// ONVIF cameras of the first dialect, each at an address of its own in 10.9.0.0/16.
QString OnvifCameras(int count)
{
    QString file;
    for (int i = 0; i < count; ++i)
        file += QStringLiteral("kind=onvif endpoint=urn:uuid:0b0b0000-0000-4000-8000-%1 hardware=IPC-%2 "
                               "mac=00:40:8c:%3:%4:%5 ip=10.9.%6.%7\n")
                    .arg(i, 12, 10, QLatin1Char('0'))
                    .arg(i)
                    .arg((i >> 16) & 0xff, 2, 16, QLatin1Char('0'))
                    .arg((i >> 8) & 0xff, 2, 16, QLatin1Char('0'))
                    .arg(i & 0xff, 2, 16, QLatin1Char('0'))
                    .arg(i / 250)
                    .arg(i % 250 + 1);
    return file;
}

int SentAnswers(const LabFixture& lab, bool onvif)
{
    int sent = 0;
    for (const QJsonObject& line : lab.Log()) {
        if (line.value(QLatin1String("event")).toString() != QLatin1String("sent"))
            continue;
        // Ours answer to the reply ports of Netrove's own protocol.
        const QString to = line.value(QLatin1String("to")).toString();
        const bool isOnvif = !to.endsWith(QLatin1String(":7711")) && !to.endsWith(QLatin1String(":7613"));
        sent += isOnvif == onvif ? 1 : 0;
    }
    return sent;
}

} // namespace

void PrintOnvifHeader()
{
    std::fprintf(Out(), "mode,onvif,ours,rows,probe_matches,cpu_us_per_match,max_stall_ms\n");
    std::fflush(Out());
}

void RunOnvif(int onvifCameras, int ourCameras)
{
    LabFixture lab;
    QStringList arguments{QStringLiteral("--seed"), QStringLiteral("3")};
    if (ourCameras > 0)
        arguments << QStringLiteral("--burst") << QString::number(ourCameras);
    if (!lab.Start(OnvifCameras(onvifCameras), arguments)) {
        Note(lab.Error());
        return;
    }
    DeviceEngine engine;
    SearchChoice choice;
    choice.ipv6 = false;
    engine.SetSearchChoice(choice);
    engine.Open();
    StallMeter stalls;
    const int devices = onvifCameras + ourCameras;
    const double cpuStart = CpuMs();
    stalls.Start();
    engine.StartSearch();
    // The cameras' random delay, and every send's answers: the search's 3 s.
    ServeUntil([] { return false; }, DeviceEngine::kSearchMs);
    stalls.Stop();
    const double cpuMs = CpuMs() - cpuStart;
    ServeUntil([] { return false; }, 300); // the simulator's last log lines
    const int matches = SentAnswers(lab, true);
    const QString mode = ourCameras == 0 ? QStringLiteral("onvif-alone") : QStringLiteral("together");
    // Alone, the CPU time is the ONVIF answers'; together it also pays for ours, so it is not given.
    const QString perMatch =
        ourCameras == 0 && matches > 0 ? QString::number(cpuMs * 1000 / matches, 'f', 1) : QString();
    std::fprintf(Out(), "%s,%d,%d,%d,%d,%s,%.1f\n", qPrintable(mode), onvifCameras, ourCameras,
                 engine.Rows().rowCount(), matches, qPrintable(perMatch), stalls.WorstMs());
    std::fflush(Out());
    if (engine.Rows().rowCount() != devices)
        Note(QStringLiteral("%1: %2 listed of %3").arg(mode).arg(engine.Rows().rowCount()).arg(devices));
    lab.Stop();
}

} // namespace Netrove::Bench
