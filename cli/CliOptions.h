#pragma once

#include <QString>
#include <QStringList>

#include <span>

namespace Netrove {

// One option of a command, as --help shows it and the parser accepts it.
struct CliOption
{
    const char* name;     // "--timeout"
    const char* argument; // what follows it, "MS"; "" for a switch
    const char* help;     // one paragraph; --help wraps it
};

// The commands, in the order the overview names them.
const QStringList& CliCommandNames();

// The options a command takes: its declaration, from which --help, the parser's acceptance and the
// documents' check all read. "" is netrove-cli without a command (--help, --version); an unknown
// command has none.
std::span<const CliOption> CliOptionsOf(const QString& command);
const CliOption* FindCliOption(const QString& command, const QString& name);

// The usage text of a command ("" for the overview), its options made from their declarations.
QString CliHelpText(const QString& topic);

} // namespace Netrove
