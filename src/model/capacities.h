// The fixed capacities of the engine's texts and tables, in one place.
//
// Why they exist: the script format, the screens and the scripts written
// for them were shaped by fixed-size buffers, and packages rely on what
// those buffers let through: a text that is too long is cut at the same
// character, a table that is full refuses its next line with the same
// syntax error, a screen that does not fit its block is refused the same
// way. They are limits to enforce, never buffer sizes: every text is a
// std::string, and each reader cuts or refuses at the capacity named here.
// Text capacities count characters without a terminator. The headers that
// use a capacity give it a local name (FileEntry::kNameCapacity, say); the
// number lives here. (Buffers of system calls, such as a registry read in
// the Win32 adapters, are the adapters' own.)
#pragma once

#include <cstddef>

namespace quorril::capacity {

// ---- texts of the script --------------------------------------------------------
constexpr size_t kScriptLine = 998;        // a line as the parser reads it; the rest is the next line
constexpr size_t kTokenizedLine = 999;     // a line once the early variables are in it
constexpr size_t kTextValue = 999;         // command lines, AUTOEXEC and CONFIG lines (TextValue)
constexpr size_t kVariableValue = 499;     // the value of a $NAME$ variable
constexpr size_t kFileName = 511;          // the name of a FILE entry
constexpr size_t kDiskName = 498;          // the name of an INSERTDISK entry
constexpr size_t kVolumeLabel = 12;        // the volume label of an INSERTDISK entry
constexpr size_t kSourceDirectory = 498;   // SOURCE= of a FILE entry
constexpr size_t kFontName = 30;           // a font face
constexpr size_t kReadme = 498;            // README
constexpr size_t kTitle = 500;             // TITLE
constexpr size_t kDirectoryPrompt = 1099;  // the prompt= of DEFAULTDIR, DIR2, DIR3
constexpr size_t kDirectoryPath = 499;     // the path of DEFAULTDIR, DIR2, DIR3
constexpr size_t kAskDefault = 498;        // the default answer of ASK1 ... ASK5
constexpr size_t kAskPrompt = 600;         // the prompt= of ASK1 ... ASK5
constexpr size_t kRegistryString = 1023;   // the data of a registry string value
constexpr size_t kDeleteName = 499;        // the name of a DELETE line
constexpr size_t kRenameOldName = 998;     // the old name of a RENAME line
constexpr size_t kRenameNewName = 1000;    // its new name
constexpr size_t kItemText = 498;          // group, title, working directory, icon of a WINITEM line
constexpr size_t kItemCommand = 998;       // the command of a WINITEM line
constexpr size_t kItemIconIndex = 1000;    // the icon index word of a WINITEM line
constexpr size_t kIniName = 498;           // file, section and entry of an INIFILE line
constexpr size_t kIniValue = 998;          // the value of an INIFILE line
constexpr size_t kAddTextFile = 498;       // the target file of an ADDTEXT line
constexpr size_t kAddTextText = 998;       // the text of an ADDTEXT line
constexpr size_t kAddTextPosition = 501;   // the position of an ADDTEXT line

// ---- the texts a script may reword (the prompt table) -----------------------------
constexpr size_t kShortPrompt = 498;       // progress texts, short questions and notices
constexpr size_t kLongPrompt = 998;        // the questions of the system changes, the checks
constexpr size_t kDialogPrompt = 499;      // the destination messages, the file questions, the buttons
constexpr size_t kUninstallPrompt = 999;   // the texts handed to the uninstaller

// ---- tables of the script -------------------------------------------------------
constexpr size_t kChoiceItems = 100;       // choices of all choice screens together
constexpr size_t kConditionalGroups = 16;  // BEGINGROUP N screens
constexpr size_t kPopups = 16;             // POPMESSAGE blocks
constexpr size_t kEntryGroups = 12;        // GROUP= numbers of one FILE entry
constexpr size_t kRegistryValues = 50;     // value lines of one registry block
constexpr size_t kRegistryKeys = 50;       // keys one registry block creates
constexpr size_t kDeferredLines = 60;      // lines of an IF block that waits for the choices
constexpr size_t kDeferredLine = 998;      // one of those lines

// ---- paths and texts of the machine ----------------------------------------------
constexpr size_t kPath = 999;              // start-up paths and source paths
constexpr size_t kShortPath = 499;         // the 8.3 form of the script path
constexpr size_t kStartupOption = 503;     // a start-up option ($SYSTEM$ ...)
constexpr size_t kSystemDirectory = 998;   // the temporary and Windows directories
constexpr size_t kHelpDirectory = 535;     // $WINHELPDIR$
constexpr size_t kFileVersion = 99;        // a FileVersion text
constexpr size_t kTestedVersion = 32;      // a version text that an IF test compares

// ---- the screens -------------------------------------------------------------------
constexpr size_t kTextArea = 4096;         // the measured text of every screen block together
constexpr size_t kTextLineLength = 127;    // a line of a screen block (a signed byte)
constexpr size_t kTextLines = 127;         // lines of a screen block (a signed byte)
constexpr size_t kTemplateBlock = 3072;    // one dialog template
constexpr size_t kDestinationPath = 127;   // a destination typed in the destination dialog
constexpr size_t kAnswerField = 497;       // what an input field keeps

}  // namespace quorril::capacity
