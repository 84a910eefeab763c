#pragma once

#include <QString>

#include <cstdio>
#include <optional>

namespace Netrove {

// Where `set` takes the device's password from. --password leaves it in the process list, where
// every user of the computer reads it, so the other two are the ones to use.
enum class CliPasswordFrom
{
    Ask,           // no password option: asked for on the terminal
    Argument,      // --password P
    StandardInput, // --password-stdin
};

struct CliPasswordRead
{
    std::optional<QString> password;
    QString error; // why there is none
};

// The password from `in`: with StandardInput its first line without the line end; with Ask a line
// typed after "Password: " with the terminal's echo off, when `in` is a terminal, and else none.
CliPasswordRead ReadCliPassword(CliPasswordFrom from, std::FILE* in);

} // namespace Netrove
