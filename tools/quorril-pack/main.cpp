// quorril-pack entry point: dispatches to the registered commands.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>

#include "commands.h"

namespace quorril::pack {

static std::vector<Command>& Table() {
  static std::vector<Command> table;
  return table;
}

void RegisterCommand(const Command& command) { Table().push_back(command); }

const std::vector<Command>& Commands() {
  std::sort(Table().begin(), Table().end(),
            [](const Command& a, const Command& b) { return std::strcmp(a.name, b.name) < 0; });
  return Table();
}

static void PrintUsage(FILE* out) {
  std::fprintf(out,
               "usage: quorril-pack COMMAND [options] ARGS\n"
               "The publisher's tool of the Quorril setup engine.\n\ncommands:\n");
  for (const Command& c : Commands()) std::fprintf(out, "  %s\n", c.synopsis);
  std::fprintf(out, "\n'quorril-pack help COMMAND' or 'quorril-pack COMMAND --help' tells more.\n");
}

static const Command* FindCommand(const std::string& name) {
  for (const Command& c : Commands())
    if (name == c.name) return &c;
  return nullptr;
}

}  // namespace quorril::pack

namespace quorril::pack {

// The command being run, for the message of a shortage of memory.
static const char* running = nullptr;

static int Main(int argc, char** argv) {
  if (argc < 2) {
    PrintUsage(stderr);
    return kExitUsage;
  }
  std::string name = argv[1];
  if (name == "--help" || name == "-h" || name == "help") {
    if (name == "help" && argc > 2) {
      if (const Command* c = FindCommand(argv[2])) {
        std::fputs(c->help, stdout);
        return kExitOk;
      }
      std::fprintf(stderr, "quorril-pack: unknown command '%s'\n", argv[2]);
      return kExitUsage;
    }
    PrintUsage(stdout);
    return kExitOk;
  }
  const Command* command = FindCommand(name);
  if (!command) {
    std::fprintf(stderr, "quorril-pack: unknown command '%s'\n", name.c_str());
    PrintUsage(stderr);
    return kExitUsage;
  }
  running = command->name;
  std::vector<std::string> args(argv + 2, argv + argc);
  for (const std::string& a : args)
    if (a == "--help" || a == "-h") {
      std::fputs(command->help, stdout);
      return kExitOk;
    }
  return command->run(args);
}

}  // namespace quorril::pack

int main(int argc, char** argv) {
  using namespace quorril::pack;
  // A shortage of memory anywhere ends the command here: what it made so
  // far (temporaries, new directories) is undone as the stack unwinds.
  try {
    return Main(argc, argv);
  } catch (const std::bad_alloc&) {
    std::fprintf(stderr, "quorril-pack%s%s: not enough memory\n", running ? " " : "", running ? running : "");
    return kExitIo;
  }
}
