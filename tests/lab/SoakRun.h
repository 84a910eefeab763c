#pragma once

// A long run of the main window against many simulated devices, as an installer's day goes: search
// after search, now and then a device given new settings ("Auto Set" and "Manual Set" in turn)
// that must then be found again, and the process's memory and descriptors watched as it goes.
// bench/netrove-soak prints what it sees; tst_soaklab runs a short one and checks it.

#include "tests/lab/ProcessFigures.h"

#include <QSet>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

namespace Netrove {

class BoxAnswerer;
class CNetroveDlg;
class LabFixture;

struct SoakOptions
{
    int searches = 500;
    int reportEvery = 50;
    // A setting request after every so many searches; 0 for none.
    int settingEvery = 100;
    int cameras = 190;    // over IPv4
    int ipv6Cameras = 10; // answering over IPv4 and IPv6
    int recorders = 10;
};

struct SoakCheckpoint
{
    int searches = 0;           // done so far
    int rows = 0;               // listed by the last search
    int fewestRows = 0;         // by any search since the previous checkpoint
    int incompleteSearches = 0; // so far, searches that missed a device
    int settings = 0;           // so far, devices set and found again with their new address
    ProcessFigures figures;
    double seconds = 0;
};

class SoakRun final
{
public:
    explicit SoakRun(const SoakOptions& options);
    ~SoakRun();
    SoakRun(const SoakRun&) = delete;
    SoakRun& operator=(const SoakRun&) = delete;

    int Devices() const;
    // Starts the simulator, opens the window and runs every search; `checkpoint` hears about the
    // run once the opening search has listed every device (0 searches), then every reportEvery
    // searches. False when the run could not even start (see Failures()).
    bool Run(const std::function<void(const SoakCheckpoint&)>& checkpoint);
    // Every search that missed a device, every setting request that went wrong, every message box.
    const QStringList& Failures() const { return m_failures; }

private:
    // Until the search has settled (the mode boxes are back) with every device listed, or at most
    // timeoutMs; the rows it listed.
    int WaitForSearch(int timeoutMs);
    QSet<QString> ListedMacs() const;
    // Whether every device is listed, once each; notes a failure under `what` otherwise.
    bool CheckListed(const QString& what);
    // A row to set: the nth of those whose device name starts with `model`.
    QString PickDevice(const QString& model, int n) const;
    bool AutoSet(int n);
    bool ManualSet(int n);
    // Until the device's row shows `ip` and every device is listed again.
    bool WaitForNewAddress(const QString& what, const QString& mac, const QString& ip);
    void NoteBoxes(const QString& when);

    SoakOptions m_options;
    std::unique_ptr<LabFixture> m_lab;
    std::unique_ptr<BoxAnswerer> m_boxes;
    std::unique_ptr<CNetroveDlg> m_dlg;
    QSet<QString> m_devices; // the MAC addresses the opening search listed
    QStringList m_failures;
};

} // namespace Netrove
