// MemoryProgramManager: an in-memory fake of the Program Manager port that
// records every command text and keeps groups and items as the shell does.
//
// Command syntax, read as the shell reads it (a text that breaks it is
// refused as a whole, before anything is done):
//   text      := blanks command {blanks command} blanks
//   command   := "[" blanks name blanks "(" [argument {"," argument}] ")" blanks "]"
//   argument  := blanks ( '"' any but '"' '"' | plain ) blanks
//   plain     := any but "," "(" ")" '"'   (blanks at its ends dropped)
// Names compare without regard to ASCII case. An argument of blanks only is
// empty. A text of several commands is carried out up to the first that
// fails.
//
// The commands: CreateGroup(name) creates the group or makes it current;
// ShowGroup(name[, n]) is accepted and changes nothing; DeleteGroup(name)
// removes a group and its items; AddItem(command line[, caption[, icon
// file[, icon index[, x, y[, working directory ...]]]]]) adds an item to
// the current group, or takes the place of the item of the same caption
// (the caption defaults to the program's file name without extension);
// ReplaceItem(caption) removes an item and the next AddItem puts its item
// there; DeleteItem(caption) removes an item. Group and item names compare
// without regard to ASCII case. Removing what is not there, an item
// without a current group and an unknown command fail.
//
// Request("Groups") lists the group names; Request(group) answers, while
// `describesGroups` is set, a line "<name>",<name>.GRP,<count> and one line
// "<caption>","<command line>" per item.
//
// With a file system, an item whose program (the whole first argument)
// names a path that is not a file there is refused, as Wine's shell
// refuses it; a program named without "\" is taken as found.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "platform/program_manager.h"

namespace quorril {

class MemoryProgramManager : public ProgramManager {
 public:
  struct Item {
    std::string caption, commandLine, iconFile, iconIndex, workingDirectory;
  };
  struct Group {
    std::string name;
    std::vector<Item> items;
  };

  explicit MemoryProgramManager(FileSystem* files = nullptr) : files_(files) {}

  // False: Begin() fails, as when no DDE client can be set up.
  bool canBegin = true;
  // False: no shell serves "PROGMAN", and every command fails.
  bool answering = true;
  // Every text given to Execute(), in order, executed or not.
  std::vector<std::string> commands;
  // False: Request() answers "Groups" only, as Wine's shell does.
  bool describesGroups = true;
  int begins = 0;
  int ends = 0;

  bool Begin() override;
  bool Execute(const std::string& command) override;
  bool Request(const std::string& item, std::string* text) override;
  void End() override;

  const std::vector<Group>& Groups() const { return groups_; }
  // The group of this name, or null.
  const Group* FindGroup(const std::string& name) const;
  // The captions of a group's items in their order; none for a missing group.
  std::vector<std::string> Captions(const std::string& group) const;
  // The name of the current group; empty when there is none.
  std::string CurrentGroup() const { return current_; }

 private:
  struct Command {
    std::string name;
    std::vector<std::string> arguments;
  };

  static bool Parse(const std::string& text, std::vector<Command>* out);
  bool Run(const Command& command);
  bool AddItem(const std::vector<std::string>& arguments);
  Group* Find(const std::string& name);
  // The item of this caption in the current group, or -1.
  std::ptrdiff_t ItemIndex(const std::string& caption);

  FileSystem* files_;
  bool begun_ = false;
  std::vector<Group> groups_;
  std::string current_;
  // Where the next added item goes after a ReplaceItem; -1 at the end.
  std::ptrdiff_t replaceAt_ = -1;
};

}  // namespace quorril
