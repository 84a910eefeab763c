#pragma once

#include "discovery/DottedQuad.h"

#include <QFrame>

#include <array>

class QLineEdit;

namespace Netrove {

// An IPv4 address entry: four fields of 0 to 255 between dots, each of which can be left blank.
// Typing a dot, or a third digit, goes on to the next field. The control is one tab stop, announced
// by the label whose buddy it is; its fields are announced as "<fieldName> field 1" to 4.
class CIPAddressCtrl final : public QFrame
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CIPAddressCtrl)

public:
    explicit CIPAddressCtrl(const QString& fieldName, QWidget* parent = nullptr);

    void SetAddress(const Ipv4Octets& octets);
    void ClearAddress();
    // True when all four fields are blank.
    bool IsBlank() const;
    // A blank field reads as 0.
    Ipv4Octets GetAddress() const;

    QLineEdit* Field(int index) const { return m_fields.at(static_cast<std::size_t>(index)); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void OnFieldEdited(int index, const QString& text);
    void MoveTo(int index);

    std::array<QLineEdit*, 4> m_fields{};
};

} // namespace Netrove
