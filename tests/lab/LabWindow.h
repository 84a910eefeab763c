#pragma once

// The main window on the host side of a lab, for tests that drive it as a user does.

#include "app/CNetroveDlg.h"
#include "tests/lab/LabFixture.h"

#include <QTest>

namespace Netrove::Test {

struct Window
{
    LabFixture lab;
    CNetroveDlg dlg;
};

// Waits up to 5 s for the condition, serving the window meanwhile.
template <typename Condition> bool WaitFor(Condition condition)
{
    for (int i = 0; i < 250 && !condition(); ++i)
        QTest::qWait(20);
    return condition();
}

} // namespace Netrove::Test
