// quorril-pack: the publisher's tool. Each command lives in its own file
// (cmd_<name>.cpp) and registers itself with a static CommandRegistration;
// main.cpp dispatches on the first argument and prints the help.
//
// Exit codes: 0 success, 1 the input is wrong (a syntax error, a corrupt
// stream), 2 a file cannot be read or written, 64 wrong usage.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace quorril::pack {

enum : int { kExitOk = 0, kExitBadInput = 1, kExitIo = 2, kExitUsage = 64 };

using CommandFunction = int (*)(const std::vector<std::string>& args);

struct Command {
  const char* name;
  const char* synopsis;  // one line: "implode [--ascii] ... IN OUT"
  const char* help;      // the full text of "quorril-pack help NAME"
  CommandFunction run;
};

// Adds a command to the table; used through CommandRegistration.
void RegisterCommand(const Command& command);
const std::vector<Command>& Commands();

struct CommandRegistration {
  explicit CommandRegistration(const Command& command) { RegisterCommand(command); }
};

// ---- command lines (command_line.cpp) ---------------------------------------

// Prints "quorril-pack COMMAND: MESSAGE" and "usage: quorril-pack SYNOPSIS"
// on stderr; returns kExitUsage, for `return Usage(...)`.
int Usage(const char* command, const std::string& message, const char* synopsis);

// The most digits a uint64_t needs.
constexpr size_t kMaxDecimalDigits = 20;

// Reads a number written in decimal digits only: no sign, no blank, at
// least one and at most `maxDigits` digits (leading zeros count), and a
// value of at most `max`. False, with `value` left alone, for anything else;
// the value is never computed past `max`, so nothing overflows.
bool ParseDecimal(const std::string& text, uint64_t max, uint64_t* value, size_t maxDigits = kMaxDecimalDigits);

}  // namespace quorril::pack
