#include "autoset/UsedPortTable.h"

namespace Netrove {

UsedPortTable& GlobalUsedPortTable()
{
    static UsedPortTable table;
    return table;
}

} // namespace Netrove
