#pragma once

// Driving the setting dialogs of the main window as a user does, and reading what the simulated
// devices received.

#include "app/CNetroveDlg.h"
#include "autoset/CIPAddressCtrl.h"
#include "devicelist/CNetroveListCtrl.h"
#include "devicelist/DeviceListColumns.h"
#include "tests/app/MainWindowControls.h"
#include "tests/lab/BoxAnswerer.h"
#include "tests/lab/LabFixture.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QElapsedTimer>
#include <QJsonObject>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

namespace Netrove {

// A main window over the lab's simulated devices, with every device listed and the search settled;
// message boxes that open are answered and remembered.
struct SettingLab
{
    LabFixture lab;
    std::unique_ptr<BoxAnswerer> boxes;
    std::unique_ptr<CNetroveDlg> dlg;

    bool Open(const QString& devices, int rows)
    {
        boxes = std::make_unique<BoxAnswerer>();
        if (!lab.Start(devices))
            return false;
        dlg = std::make_unique<CNetroveDlg>();
        dlg->show();
        if (!QTest::qWaitForWindowExposed(dlg.get()))
            return false;
        for (int i = 0; i < 250 && (MainWindow::Rows(*dlg)->rowCount() < rows ||
                                    !MainWindow::CameraBox(*dlg)->isEnabled());
             ++i)
            QTest::qWait(20);
        return MainWindow::Rows(*dlg)->rowCount() == rows && MainWindow::CameraBox(*dlg)->isEnabled();
    }

    void Close()
    {
        dlg.reset();
        lab.Stop();
        boxes.reset();
    }

    // The text the list shows for the device in the column; empty when the device is not listed.
    QString ListedText(const QString& mac, int column) const
    {
        const int row = MainWindow::Rows(*dlg)->FindRowByMac(mac);
        return row < 0 ? QString() : MainWindow::Rows(*dlg)->Text(row, column);
    }
};

// Presses the button and, once the dialog of that name is up, lets `act` fill and finish it. False
// when no such dialog opened.
inline bool PressAndDrive(QPushButton* button, const QString& dialogName,
                          const std::function<void(QDialog&)>& act)
{
    bool opened = false;
    QTimer driver;
    driver.setInterval(20);
    QObject::connect(&driver, &QTimer::timeout, &driver, [&] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr || dialog->objectName() != dialogName || !dialog->isVisible())
            return;
        driver.stop();
        opened = true;
        act(*dialog);
    });
    driver.start();
    QTest::mouseClick(button, Qt::LeftButton);
    return opened;
}

// What the Auto Setting dialog showed when it opened, and how long after the click it did.
struct AutoSetOpened
{
    bool seen = false;
    qint64 ms = -1;
    QString address;
    QString mask;
    QString gateway;
};

// The address an address control of the dialog shows, or "blank".
inline QString AddressShown(QDialog& dialog, const char* control)
{
    auto* ip = dialog.findChild<CIPAddressCtrl*>(QString::fromLatin1(control));
    return ip == nullptr || ip->IsBlank() ? QStringLiteral("blank")
                                          : QString::fromStdString(FormatDottedQuad(ip->GetAddress()));
}

// Presses "Auto Set" and, once the dialog is up (after its probes), notes what it shows and lets
// `act` finish it.
inline AutoSetOpened PressAutoSet(CNetroveDlg& dlg, const std::function<void(QDialog&)>& act)
{
    AutoSetOpened opened;
    QElapsedTimer clock;
    clock.start();
    opened.seen =
        PressAndDrive(MainWindow::AutoSetButton(dlg), QStringLiteral("CDlgAutoSet"), [&](QDialog& dialog) {
            opened.ms = clock.elapsed();
            opened.address = AddressShown(dialog, "ipAddress");
            opened.mask = AddressShown(dialog, "ipSubnetMask");
            opened.gateway = AddressShown(dialog, "ipGateway");
            act(dialog);
        });
    return opened;
}

inline void ClickRowOf(CNetroveDlg& dlg, const QString& mac)
{
    CNetroveListCtrl& list = *MainWindow::List(dlg);
    const QModelIndex index = list.model()->index(list.Rows().FindRowByMac(mac), ColumnDeviceName);
    // In a long list the row may be out of sight; a user scrolls to it first.
    list.scrollTo(index);
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, list.visualRect(index).center());
}

// The setting requests the devices received, in order.
inline QList<QJsonObject> Settings(const LabFixture& lab)
{
    QList<QJsonObject> settings;
    for (const QJsonObject& line : lab.Received())
        if (line.value(QLatin1String("kind")).toString() == QLatin1String("setting"))
            settings << line;
    return settings;
}

inline int Field(const QJsonObject& request, const char* name)
{
    return request.value(QLatin1String("fields")).toObject().value(QLatin1String(name)).toInt(-1);
}

inline QString Text(const QJsonObject& request, const char* name)
{
    return request.value(QLatin1String("fields")).toObject().value(QLatin1String(name)).toString();
}

} // namespace Netrove
