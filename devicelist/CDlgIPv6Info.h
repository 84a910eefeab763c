#pragma once

#include <QDialog>

#include <array>
#include <cstdint>
#include <span>

class QLineEdit;
class QPushButton;

namespace Netrove {

// Shows the IPv6 address of a camera found over IPv6 and opens its web page at that address
// ("IPv6") or at its IPv4 address ("IPv4"); either button closes the dialog. "Cancel" and Escape
// close it and open nothing.
//
// Construct it on the stack, hand it the row's reply with SetReply and call exec(). The dialog
// works on its own copy, so a search that empties the list while it is open does not touch it.
class CDlgIPv6Info final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CDlgIPv6Info)

public:
    using OsMajorVersionQuery = int (*)();

    // The version query decides whether the IPv6 address carries a zone; the running system's by
    // default.
    explicit CDlgIPv6Info(QWidget* parent = nullptr, OsMajorVersionQuery getOsMajorVersion = nullptr);
    ~CDlgIPv6Info() override;

    // Copies the whole reply of an IPv6 camera; a shorter buffer leaves the rest 0.
    void SetReply(std::span<const std::uint8_t> reply);

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void CreateControls();
    void OnInitDialog();
    void OnBnClickedIPv6();
    void OnBnClickedIPv4();

    static constexpr std::size_t kReplySize = 366;
    std::array<std::uint8_t, kReplySize> m_reply6{};
    OsMajorVersionQuery m_getOsMajorVersion;
    bool m_bInitialised = false;

    // The controls, in tab order.
    QPushButton* m_btnCancel;
    QPushButton* m_btnIPv6;
    QLineEdit* m_editAddress;
    QPushButton* m_btnIPv4;
};

} // namespace Netrove
