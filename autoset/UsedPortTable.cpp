#include "autoset/UsedPortTable.h"

namespace Netrove {

UsedPortTable& GlobalUsedPortTable()
{
    static UsedPortTable table;
    return table;
}

int FindFreePort(UsedPortTable& table)
{
    for (int port = kFirstBasePort; port < kBasePortLimit; port += kPortBlockSize) {
        if (!table.Contains(port)) {
            table.Add(port);
            return port;
        }
    }
    return -1;
}

} // namespace Netrove
