#include "tests/lab/SoakRun.h"

#include "app/CNetroveDlg.h"
#include "autoset/CIPAddressCtrl.h"
#include "devicelist/CNetroveListCtrl.h"
#include "devicelist/DeviceListColumns.h"
#include "discovery/DottedQuad.h"
#include "tests/app/MainWindowControls.h"
#include "tests/lab/BoxAnswerer.h"
#include "tests/lab/LabFixture.h"
#include "tests/lab/SettingDialogDriver.h"

#include <QCheckBox>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <algorithm>

namespace Netrove {

namespace {

// What the simulator's made-up devices are called and accept.
const QString kCameraModel = QStringLiteral("NC-210");
const QString kRecorderModel = QStringLiteral("NR-1600");
const QString kPassword = QStringLiteral("admin");

// A search of a few hundred devices settles within two ticks of its timer; far more is a fault.
constexpr int kSearchTimeoutMs = 10000;
// A setting request: the free address probes, the device's answer and the search it starts.
constexpr int kSettingTimeoutMs = 20000;

} // namespace

SoakRun::SoakRun(const SoakOptions& options)
    : m_options(options)
    , m_lab(std::make_unique<LabFixture>())
{}

SoakRun::~SoakRun()
{
    m_dlg.reset();
    m_lab->Stop();
}

int SoakRun::Devices() const
{
    return m_options.cameras + m_options.ipv6Cameras + m_options.recorders;
}

bool SoakRun::Run(const std::function<void(const SoakCheckpoint&)>& checkpoint)
{
    m_failures.clear();
    const QStringList counts{QStringLiteral("--cameras"),      QString::number(m_options.cameras),
                             QStringLiteral("--ipv6-cameras"), QString::number(m_options.ipv6Cameras),
                             QStringLiteral("--recorders"),    QString::number(m_options.recorders)};
    if (!m_lab->Start(QString(), counts)) {
        m_failures << QStringLiteral("the simulator did not start: %1").arg(m_lab->Error());
        return false;
    }
    m_boxes = std::make_unique<BoxAnswerer>();
    m_dlg = std::make_unique<CNetroveDlg>();
    m_dlg->show();
    // The search the window makes as it opens names the devices every later search must list.
    WaitForSearch(kSearchTimeoutMs);
    m_devices = ListedMacs();
    if (m_devices.size() != Devices() || MainWindow::Rows(*m_dlg)->rowCount() != Devices()) {
        m_failures << QStringLiteral("the opening search listed %1 rows, %2 devices of %3")
                          .arg(MainWindow::Rows(*m_dlg)->rowCount())
                          .arg(m_devices.size())
                          .arg(Devices());
        return false;
    }

    QElapsedTimer clock;
    clock.start();
    SoakCheckpoint figures;
    // The window as it stands after its opening search: what later checkpoints compare with.
    figures.rows = figures.fewestRows = Devices();
    figures.figures = ReadProcessFigures();
    if (checkpoint)
        checkpoint(figures);
    int settingsTried = 0;
    for (int search = 1; search <= m_options.searches; ++search) {
        MainWindow::SearchButton(*m_dlg)->click();
        const int rows = WaitForSearch(kSearchTimeoutMs);
        figures.rows = rows;
        figures.fewestRows = std::min(figures.fewestRows, rows);
        if (!CheckListed(QStringLiteral("search %1").arg(search)))
            ++figures.incompleteSearches;
        NoteBoxes(QStringLiteral("search %1").arg(search));

        if (m_options.settingEvery > 0 && search % m_options.settingEvery == 0) {
            // Auto Set and Manual Set take turns, each on another device.
            const bool done = settingsTried % 2 == 0 ? AutoSet(settingsTried) : ManualSet(settingsTried);
            ++settingsTried;
            figures.settings += done ? 1 : 0;
        }
        if (search % m_options.reportEvery == 0 || search == m_options.searches) {
            figures.searches = search;
            figures.figures = ReadProcessFigures();
            figures.seconds = double(clock.elapsed()) / 1000;
            if (checkpoint)
                checkpoint(figures);
            figures.fewestRows = Devices();
        }
    }
    if (!m_lab->IsRunning())
        m_failures << QStringLiteral("the simulator ended during the run");
    return true;
}

int SoakRun::WaitForSearch(int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired() &&
           (!MainWindow::CameraBox(*m_dlg)->isEnabled() || MainWindow::Rows(*m_dlg)->rowCount() < Devices()))
        QTest::qWait(10);
    return MainWindow::Rows(*m_dlg)->rowCount();
}

QSet<QString> SoakRun::ListedMacs() const
{
    QSet<QString> macs;
    for (int row = 0; row < MainWindow::Rows(*m_dlg)->rowCount(); ++row)
        macs.insert(MainWindow::Rows(*m_dlg)->Text(row, ColumnMac));
    return macs;
}

bool SoakRun::CheckListed(const QString& what)
{
    const int rows = MainWindow::Rows(*m_dlg)->rowCount();
    const QSet<QString> listed = ListedMacs();
    if (rows == Devices() && listed == m_devices)
        return true;
    QStringList missing = QSet<QString>(m_devices).subtract(listed).values();
    missing.sort();
    QStringList strangers = QSet<QString>(listed).subtract(m_devices).values();
    strangers.sort();
    m_failures << QStringLiteral("%1: %2 rows of %3 devices; missing [%4], not ours [%5]")
                      .arg(what)
                      .arg(rows)
                      .arg(Devices())
                      .arg(missing.join(QLatin1Char(' ')), strangers.join(QLatin1Char(' ')));
    return false;
}

void SoakRun::NoteBoxes(const QString& when)
{
    if (m_boxes->Texts().isEmpty())
        return;
    m_failures
        << QStringLiteral("%1: message boxes [%2]").arg(when, m_boxes->Texts().join(QStringLiteral(" | ")));
    m_boxes->Clear();
}

QString SoakRun::PickDevice(const QString& model, int n) const
{
    QStringList macs;
    for (int row = 0; row < MainWindow::Rows(*m_dlg)->rowCount(); ++row) {
        if (MainWindow::Rows(*m_dlg)->Text(row, ColumnDeviceName).startsWith(model))
            macs << MainWindow::Rows(*m_dlg)->Text(row, ColumnMac);
    }
    macs.sort();
    return macs.isEmpty() ? QString() : macs[(n * 7) % macs.size()];
}

bool SoakRun::AutoSet(int n)
{
    const QString what = QStringLiteral("Auto Set %1").arg(n + 1);
    const QString mac = PickDevice(kCameraModel, n);
    if (mac.isEmpty()) {
        m_failures << QStringLiteral("%1: no camera listed").arg(what);
        return false;
    }
    ClickRowOf(*m_dlg, mac);
    if (!MainWindow::AutoSetButton(*m_dlg)->isEnabled()) {
        m_failures << QStringLiteral("%1: \"Auto Set\" stays disabled for %2").arg(what, mac);
        return false;
    }
    const AutoSetOpened shown = PressAutoSet(*m_dlg, [](QDialog& dialog) {
        QTest::keyClicks(dialog.findChild<QLineEdit*>(QStringLiteral("editPassword")), kPassword);
        QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("buttonOK")), Qt::LeftButton);
    });
    const bool opened = shown.seen;
    const QString proposed = shown.address == QLatin1String("blank") ? QString() : shown.address;
    if (!opened || proposed.isEmpty()) {
        m_failures << QStringLiteral("%1: the dialog %2")
                          .arg(what, opened ? QStringLiteral("proposed no address")
                                            : QStringLiteral("did not open"));
        NoteBoxes(what);
        return false;
    }
    if (!WaitForNewAddress(what, mac, proposed))
        return false;
    // From now on the address answers pings, as the device's own would, so the next Auto Set
    // proposes another.
    if (!m_lab->Occupy({proposed}))
        m_failures << QStringLiteral("%1: %2").arg(what, m_lab->Error());
    return true;
}

bool SoakRun::ManualSet(int n)
{
    const QString what = QStringLiteral("Manual Set %1").arg(n + 1);
    const QString mac = PickDevice(kRecorderModel, n);
    if (mac.isEmpty()) {
        m_failures << QStringLiteral("%1: no recorder listed").arg(what);
        return false;
    }
    ClickRowOf(*m_dlg, mac);
    if (!MainWindow::ManualSetButton(*m_dlg)->isEnabled()) {
        m_failures << QStringLiteral("%1: \"Manual Set\" stays disabled for %2").arg(what, mac);
        return false;
    }
    // Addresses below the ones the simulator hands out, one per request.
    const Ipv4Octets address{192, 168, 1, std::uint8_t(20 + n % 60)};
    const bool opened = PressAndDrive(
        MainWindow::ManualSetButton(*m_dlg), QStringLiteral("CDlgManualSet"), [&](QDialog& dialog) {
            QTest::mouseClick(dialog.findChild<QRadioButton*>(QStringLiteral("radioStatic")), Qt::LeftButton);
            dialog.findChild<CIPAddressCtrl*>(QStringLiteral("ipAddress"))->SetAddress(address);
            auto* password = dialog.findChild<QLineEdit*>(QStringLiteral("editPassword"));
            password->selectAll();
            QTest::keyClicks(password, kPassword);
            QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("buttonOK")), Qt::LeftButton);
            // Input the dialog refused leaves it open; give up rather than wait on it.
            if (dialog.isVisible())
                dialog.reject();
        });
    if (!opened) {
        m_failures << QStringLiteral("%1: the dialog did not open").arg(what);
        return false;
    }
    return WaitForNewAddress(what, mac, QString::fromStdString(FormatDottedQuad(address)));
}

bool SoakRun::WaitForNewAddress(const QString& what, const QString& mac, const QString& ip)
{
    const QDeadlineTimer deadline(kSettingTimeoutMs);
    const auto listedIp = [&] {
        const int row = MainWindow::Rows(*m_dlg)->FindRowByMac(mac);
        return row < 0 ? QString() : MainWindow::Rows(*m_dlg)->Text(row, ColumnIp);
    };
    while (!deadline.hasExpired() && (listedIp() != ip || !MainWindow::CameraBox(*m_dlg)->isEnabled() ||
                                      MainWindow::Rows(*m_dlg)->rowCount() < Devices()))
        QTest::qWait(10);
    NoteBoxes(what);
    if (listedIp() != ip) {
        m_failures << QStringLiteral("%1: %2 listed with \"%3\", not its new address %4")
                          .arg(what, mac, listedIp(), ip);
        return false;
    }
    return CheckListed(QStringLiteral("%1, the search it started").arg(what));
}

} // namespace Netrove
