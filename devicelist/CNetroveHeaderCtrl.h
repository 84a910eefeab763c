#pragma once

#include <QHeaderView>

namespace Netrove {

// The device list's header; it remembers which column the sort indicator shows.
class CNetroveHeaderCtrl final : public QHeaderView
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CNetroveHeaderCtrl)

public:
    explicit CNetroveHeaderCtrl(QWidget* parent = nullptr);

    // Column -1 or 0 shows no indicator: column 0 is never marked.
    void SetSortIndicator(int column, int ascending);

    int m_nSortColumn = -1;
    int m_bSortAscending = 1;

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void ShowSortIndicator();
};

} // namespace Netrove
