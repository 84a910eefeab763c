#include "app/CAboutDlg.h"

#include "res/ControlNames.h"
#include "res/DialogUnits.h"
#include "res/Resources.h"

#include <QLabel>
#include <QPushButton>

namespace Netrove {

namespace {

const QString kTitle = QStringLiteral("Netrove Information");
const QString kVersion = QStringLiteral("Netrove_v2.0.1.2 for the network products");
constexpr int kIconSize = 32;

} // namespace

CAboutDlg::CAboutDlg(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint)
{
    SetUpTemplateWindow(this, "CAboutDlg", kTitle, 9);

    auto* icon = Named(new QLabel(this), "iconApplication", QStringLiteral("Netrove"));
    icon->setPixmap(ApplicationIcon().pixmap(kIconSize, kIconSize));
    auto* version = Named(new QLabel(kVersion, this), "staticVersion");
    version->setTextFormat(Qt::PlainText);
    auto* ok = Named(new QPushButton(QStringLiteral("OK"), this), "buttonOk");
    ok->setDefault(true);

    const DialogUnits units{QFontMetrics(font())};
    // An icon control takes the icon's own size at its place.
    icon->setGeometry(QRect(units.ToPixels(11, 6, 20, 20).topLeft(), QSize(kIconSize, kIconSize)));
    version->setGeometry(units.ToPixels(40, 7, 146, 8));
    ok->setGeometry(units.ToPixels(179, 33, 50, 14));
    setFixedSize(units.ToPixelsX(237), units.ToPixelsY(53));

    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    ok->setFocus();
}

} // namespace Netrove
