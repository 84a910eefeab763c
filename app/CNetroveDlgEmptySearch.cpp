// The line under the main window's list that says why a search heard nothing.

#include "app/CNetroveDlg.h"

#include "discovery/EmptySearchProbe.h"
#include "engine/DeviceEngine.h"

#include <QFutureWatcher>
#include <QLabel>
#include <QtConcurrent/QtConcurrentRun>

namespace Netrove {

void CNetroveDlg::OnSearchFinished()
{
    if (m_engine->Rows().rowCount() != 0)
        return;
    const quint64 search = m_searchesStarted;
    auto* watcher = new QFutureWatcher<EmptySearchFindings>(this);
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher, search] {
        watcher->deleteLater();
        if (search == m_searchesStarted && m_engine->Rows().rowCount() == 0)
            SetHintText(EmptySearchHint(watcher->result()));
    });
    watcher->setFuture(QtConcurrent::run(&ProbeEmptySearch));
}

void CNetroveDlg::SetHintText(const QString& text)
{
    if (text == m_staticHint->text())
        return;
    // A screen reader reads the hint as it is shown: a label's name is its text.
    m_staticHint->setText(text);
    m_staticHint->setVisible(!text.isEmpty());
}

} // namespace Netrove
