// The Program Manager port: program groups and items of the Windows shell,
// made by DDE execute commands to whatever shell serves the service and
// topic "PROGMAN".
//
// Contract, for every implementation (Win32 adapter, in-memory fake):
//  - Begin() sets up the client side once for a series of commands; false
//    when it cannot, and then every Execute() fails. End() releases it;
//    Begin() may follow again. Both are harmless when repeated.
//  - Execute() sends one command text, such as "[CreateGroup(Tools)]", in
//    a conversation of its own and waits for the shell, at most 10 seconds.
//    True when the shell executed it; false when it refused it, when no
//    shell answers, or when the text holds a zero byte. A text may hold
//    several bracketed commands; it is executed when all of them were.
//  - The command syntax is the shell's: "[" name "(" arguments ")" "]",
//    names in any case, arguments separated by commas, blanks around them
//    dropped. An argument between double quotes may hold commas and
//    parentheses; a double quote cannot stand inside one.
//  - The shell keeps the groups, and remembers the group last created or
//    shown: CreateGroup(name) creates a group or makes an existing one the
//    current group; AddItem(command line[, caption[, icon file[, icon index
//    [, x, y[, working directory]]]]]) adds an item to the current group
//    (the caption defaults to the program's name); ReplaceItem(caption)
//    removes an item of the current group so that the next one added takes
//    its place; DeleteItem(caption) removes an item of the current group;
//    DeleteGroup(name) removes a group with its items. Removing what is not
//    there fails.
//  - Request() asks the shell for a text: the item "Groups" lists the
//    groups, one name a line; the item named like a group describes it in
//    a first line and each of its items in a line of its own. Lines end in
//    CR LF. False when the shell gives no answer for the item (a group
//    that is not there, or a shell that answers "Groups" only, as Wine's).
//  - No call throws or shows anything.
#pragma once

#include <string>

namespace quorril {

class ProgramManager {
 public:
  virtual ~ProgramManager() = default;
  // Sets up the client side; false when it cannot be.
  virtual bool Begin() = 0;
  // Sends one command text; true when the shell executed it.
  virtual bool Execute(const std::string& command) = 0;
  // Asks for the text of an item of the topic "PROGMAN"; true with it.
  virtual bool Request(const std::string& item, std::string* text) = 0;
  // Releases what Begin() set up.
  virtual void End() = 0;
};

}  // namespace quorril
