#include "autoset/CIPAddressCtrl.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>

namespace Netrove {

CIPAddressCtrl::CIPAddressCtrl(const QString& fieldName, QWidget* parent)
    : QFrame(parent)
{
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    setBackgroundRole(QPalette::Base);
    setAutoFillBackground(true);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(2, 0, 2, 0);
    layout->setSpacing(0);
    // 0 to 255, leading zeros allowed, or nothing.
    auto* validator = new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("(25[0-5]|2[0-4][0-9]|[01]?[0-9]?[0-9])?")), this);
    for (int i = 0; i < 4; ++i) {
        if (i > 0) {
            auto* dot = new QLabel(QStringLiteral("."), this);
            dot->setObjectName(QStringLiteral("dot%1").arg(i));
            dot->setTextFormat(Qt::PlainText);
            layout->addWidget(dot);
        }
        auto* field = new QLineEdit(this);
        field->setObjectName(QStringLiteral("octet%1").arg(i + 1));
        field->setAccessibleName(QStringLiteral("%1 field %2").arg(fieldName).arg(i + 1));
        field->setFrame(false);
        field->setAlignment(Qt::AlignCenter);
        field->setMaxLength(3);
        field->setValidator(validator);
        field->setMinimumWidth(0);
        // One tab stop for the whole address; the other fields are reached by typing or clicking.
        field->setFocusPolicy(i == 0 ? Qt::StrongFocus : Qt::ClickFocus);
        field->installEventFilter(this);
        connect(field, &QLineEdit::textEdited, this,
                [this, i](const QString& text) { OnFieldEdited(i, text); });
        layout->addWidget(field, 1);
        m_fields[static_cast<std::size_t>(i)] = field;
    }
    setFocusProxy(m_fields[0]);
    setFocusPolicy(Qt::StrongFocus);
}

void CIPAddressCtrl::SetAddress(const Ipv4Octets& octets)
{
    for (std::size_t i = 0; i < m_fields.size(); ++i)
        m_fields[i]->setText(QString::number(octets[i]));
}

void CIPAddressCtrl::ClearAddress()
{
    for (QLineEdit* field : m_fields)
        field->clear();
}

bool CIPAddressCtrl::IsBlank() const
{
    for (const QLineEdit* field : m_fields) {
        if (!field->text().isEmpty())
            return false;
    }
    return true;
}

Ipv4Octets CIPAddressCtrl::GetAddress() const
{
    Ipv4Octets octets{};
    for (std::size_t i = 0; i < m_fields.size(); ++i)
        octets[i] = static_cast<std::uint8_t>(m_fields[i]->text().toUInt());
    return octets;
}

bool CIPAddressCtrl::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return QFrame::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    for (int i = 0; i < 4; ++i) {
        QLineEdit* field = m_fields[static_cast<std::size_t>(i)];
        if (field != watched)
            continue;
        if (key->key() == Qt::Key_Period) {
            // The dot itself is not part of a number: it only goes on to the next field.
            // A dot right after a third digit has already moved on, so one in an empty field stays.
            if (i < 3 && !field->text().isEmpty())
                MoveTo(i + 1);
            return true;
        }
        if (key->key() == Qt::Key_Backspace && i > 0 && field->cursorPosition() == 0 &&
            !field->hasSelectedText()) {
            MoveTo(i - 1);
            m_fields[static_cast<std::size_t>(i - 1)]->end(false);
            return true;
        }
    }
    return QFrame::eventFilter(watched, event);
}

void CIPAddressCtrl::OnFieldEdited(int index, const QString& text)
{
    if (index < 3 && text.size() == 3 && m_fields[static_cast<std::size_t>(index)]->cursorPosition() == 3)
        MoveTo(index + 1);
}

void CIPAddressCtrl::MoveTo(int index)
{
    QLineEdit* field = m_fields.at(static_cast<std::size_t>(index));
    field->setFocus(Qt::OtherFocusReason);
    field->selectAll();
}

} // namespace Netrove
