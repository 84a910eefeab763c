#pragma once

namespace Netrove {

// What netrove-cli ends with; doc/netrove-cli.md lists them for scripts.
enum CliExitCode
{
    ExitOk = 0,
    // Netrove's window runs (or another netrove-cli), the channels cannot be opened, no free address
    // for --auto, a device that cannot be set, a recorder's unknown result, no web page to open.
    ExitFailure = 1,
    // Bad arguments, settings the Manual Setting dialog would refuse, or a batch's plan refused:
    // nothing was sent.
    ExitRefused = 2,
    ExitInvalidPassword = 3,    // "Invalid Password!"
    ExitPortMappingError = 4,   // "Port Mapping Error"
    ExitRouterConnectError = 5, // "Router Connect Error!"
    ExitNoResult = 6,           // the device sent no result in time
    ExitNotBack = 7,            // the device did not come back with what it was sent
    ExitUnknownDevice = 8,      // no device with that MAC address answered the search
    ExitBatchFailed = 9,        // a device of set-many or apply failed otherwise; its line says how
};

} // namespace Netrove
