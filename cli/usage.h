#pragma once

#include <optional>
#include <string>
#include <string_view>

// What ov2cat tells about its commands: one table holds each command's arguments and what it
// does, for the usage of all commands and for the help of one.
namespace ov2 {

// "usage: ov2cat dump FILE.ovd" and the other commands, a line each, and how to ask about one.
std::string UsageText();
// The usage line of the command and what it does; none for a command ov2cat does not have.
std::optional<std::string> CommandHelpText(std::string_view command);

}  // namespace ov2
