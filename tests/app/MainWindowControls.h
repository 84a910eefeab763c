#pragma once

#include "devicelist/CNetroveListCtrl.h"
#include "devicelist/DeviceListModel.h"
#include "engine/DeviceEngine.h"
#include "tests/AccessibleName.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QWidget>

// The main window's controls as a user's driver finds them: by their object names.
namespace Netrove::MainWindow {

template <typename Control> Control* Find(const QWidget& window, const char* objectName)
{
    auto* control = window.findChild<Control*>(QString::fromLatin1(objectName));
    Q_ASSERT_X(control, "MainWindow::Find", objectName);
    return control;
}

inline QCheckBox* CameraBox(const QWidget& w)
{
    return Find<QCheckBox>(w, "checkIpCamera");
}
inline QCheckBox* NvrBox(const QWidget& w)
{
    return Find<QCheckBox>(w, "checkNvr");
}
inline QCheckBox* IPv4Box(const QWidget& w)
{
    return Find<QCheckBox>(w, "checkIPv4");
}
inline QCheckBox* IPv6Box(const QWidget& w)
{
    return Find<QCheckBox>(w, "checkIPv6");
}
inline QPushButton* SearchButton(const QWidget& w)
{
    return Find<QPushButton>(w, "buttonSearch");
}
inline QPushButton* AutoSetButton(const QWidget& w)
{
    return Find<QPushButton>(w, "buttonAutoSet");
}
inline QPushButton* ManualSetButton(const QWidget& w)
{
    return Find<QPushButton>(w, "buttonManualSet");
}
inline QPushButton* ExitButton(const QWidget& w)
{
    return Find<QPushButton>(w, "buttonExit");
}
inline QLabel* StatusLine(const QWidget& w)
{
    return Find<QLabel>(w, "statusLine");
}
inline CNetroveListCtrl* List(const QWidget& w)
{
    return Find<CNetroveListCtrl>(w, "deviceList");
}
inline DeviceListModel* Rows(const QWidget& w)
{
    return &List(w)->Rows();
}

// Checks or unchecks a mode box as a click does, so that the window's handler runs.
inline void SetBox(QCheckBox* box, bool checked)
{
    if (box->isChecked() != checked)
        box->click();
}

} // namespace Netrove::MainWindow
