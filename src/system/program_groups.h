// Program Manager groups: the WINITEM lines of the script, carried out in
// the last phase of a successful installation as DDE execute commands to
// the shell (the Program Manager port), in script order.
//
// Commands, each sent as a text of its own:
//   [CreateGroup(<group>)]    first for a line with a group that is not
//                             the one created last (names compared without
//                             regard to ASCII case); DeleteGroup leaves the
//                             one created last as it was
//   [DeleteGroup(<group>)]    a remove line without a command line
//   [DeleteItem(<caption>)]   a remove line with a command line
//   [ReplaceItem(<caption>)]  before the AddItem of a replace line
//   [AddItem(<command line>[, <caption>[, <icon file>[, <icon index>]]]<working-directory part>)]
// The working-directory part, only with a caption and a working directory:
//   after the icon index        ", -1, -1," <working directory>
//   after the icon file alone   ", , -1, -1," <working directory>
//   after the caption alone     ", , , -1, -1," <working directory>
// (the two -1 ask for the default icon position).
//
// A variable at the start of the group name is replaced; every variable of
// the command line, the caption, the icon file and the working directory;
// the icon index goes as written. An argument that holds a comma or a
// parenthesis goes between double quotes, which the shell's syntax accepts,
// so that it stays one argument; every other argument goes as it is (a
// text holding a double quote too, which no quotes can carry).
//
// Journal line for each added or replaced item, and for a line without a
// command line that is no remove line (a group-only line):
//   WINITEM: "<group>", "<caption>"   the group as replaced, the caption as
//                                     the script writes it
// Failed commands are not reported; a journal line is written only when the
// command before it (the AddItem, or the CreateGroup of a group-only line)
// was carried out, so that the journal never names an item the shell did
// not make.
#pragma once

#include <string>
#include <vector>

#include "journal/journal.h"
#include "model/script_model.h"

namespace quorril {

class FileSystem;
class ProgramManager;

// One step of the phase: a command text to send, or a journal line to write.
struct ProgramGroupStep {
  enum class Kind { kCommand, kJournal };
  Kind kind;
  std::string text;
};

// One argument of a command as the shell's syntax carries it: a comma or a
// parenthesis would end the argument early, so a text holding one goes
// between double quotes; a double quote cannot stand inside them, so a text
// holding one goes as it is, like every other.
std::string ShellArgument(const std::string& text);

// The commands and journal lines of the WINITEM records, in order.
std::vector<ProgramGroupStep> ProgramGroupSteps(const ScriptVariables& variables,
                                                const std::vector<WinItemRecord>& items);

// The phase: sets up the shell's client side (when it cannot be, nothing is
// sent and nothing journalled), sends every command, writes the journal line
// of every command that was carried out, and releases the client side.
void ApplyWinItems(ProgramManager& shell, FileSystem& files, Journal& journal, const ScriptVariables& variables,
                   const std::vector<WinItemRecord>& items);

}  // namespace quorril
