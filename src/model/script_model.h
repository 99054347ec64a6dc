// The script model: everything an install script says, held in memory.
//
// InstallScript holds the records built from script lines (file list,
// system-change records, registry blocks, text blocks of the screens,
// deferred IF blocks) and the script's own settings. ScriptSettings holds the
// values the script sets that are process-wide in the engine (overwrite
// policy, reboot mode, fonts, the choice tables, the Windows and DOS
// versions); ScriptVariables holds the $NAME$ values. All three live in
// ScriptState (script_state.h); the parser is their only writer while the
// script is read, the run sequence and the screens update the
// user-dependent values.
//
// Texts are std::string with the capacities of the script format as named
// constants; the parser enforces them (refuses or cuts) where it reads them.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "model/capacities.h"
#include "model/prompt_texts.h"

namespace quorril {

// Colour: three bytes red, green, blue. Value() is the Windows COLORREF.
struct Colour {
  uint8_t red = 0, green = 0, blue = 0;
  uint32_t Value() const { return red + green * 256u + blue * 65536u; }
  bool operator==(const Colour& o) const { return red == o.red && green == o.green && blue == o.blue; }
};

// A replaceable text of up to 999 characters.
constexpr size_t kTextValueCapacity = capacity::kTextValue;
class TextValue {
 public:
  TextValue() = default;
  explicit TextValue(std::string text) { Set(std::move(text)); }
  void Set(std::string text) {
    text_ = std::move(text);
    if (text_.size() > kTextValueCapacity) text_.resize(kTextValueCapacity);
  }
  void Clear() { text_.clear(); }
  bool Empty() const { return text_.empty(); }
  const std::string& Text() const { return text_; }
  std::string& Mutable() { return text_; }

 private:
  std::string text_;
};

enum class OverwritePolicy : int32_t { kNo = 0, kYes = 1, kAsk = 2, kNew = 3 };

enum class EntryKind : int32_t { kFile = 0, kDisk = 1, kLabelledDisk = 2 };

// How a FILE entry's source is installed: copied (or extracted when it is a
// shrunk-file container), or expanded by an outside decompressor.
enum class Compression : int32_t { kNone = 0, kCompressed = 1, kSelfExtract = 2 };

// Where a FILE entry's SOURCE= directory lies.
enum class SourceKind : int32_t {
  kBelowSource = 0,   // relative: below $SOURCEDIR$ (stored with "\" in front)
  kSourceRoot = 1,    // begins with "\": from the root of the source drive
  kAsGiven = 2,       // drive-qualified, or a variable
};

// The outside decompressor of COMPRESSED entries (COMPRESSION).
enum class CompressionTool : int32_t { kPkware = 0, kLha = 1 };

// The restart at the end (REBOOT, RESTART).
enum class RebootMode : int32_t { kNone = 0, kWindows = 1, kSystem = 2 };

// What a change line of the system-change blocks does when it applies:
// nothing, the change, or the change after a Yes to its question.
enum class ChangeMode : int32_t { kNone = 0, kChange = 1, kAsk = 2 };

// What a WINITEM line does with its Program Manager item.
enum class WinItemMode : int32_t { kAdd = 0, kReplace = 1, kRemove = 2 };

constexpr uint16_t kEmptyChoiceSlot = 0xFFFF;
constexpr size_t kMaxEntryGroups = capacity::kEntryGroups;

// One FILE or INSERTDISK line.
struct FileEntry {
  static constexpr size_t kNameCapacity = capacity::kFileName;
  static constexpr size_t kDiskNameCapacity = capacity::kDiskName;
  static constexpr size_t kLabelCapacity = capacity::kVolumeLabel;
  static constexpr size_t kSourceCapacity = capacity::kSourceDirectory;

  std::string name;         // FILE: the file; INSERTDISK: the disk name
  std::string volumeLabel;  // INSERTDISK kind 2 only
  EntryKind kind = EntryKind::kFile;
  Compression compression = Compression::kNone;
  OverwritePolicy overwrite = OverwritePolicy::kAsk;
  std::array<uint16_t, kMaxEntryGroups> choiceItems;  // item indices; kEmptyChoiceSlot = unused
  int32_t popupId = -1;
  std::string sourceDirectory;  // SOURCE=, without a trailing backslash
  bool sourceGiven = false;
  SourceKind sourceKind = SourceKind::kBelowSource;
  bool error = false;
  uint32_t attributes = 128;

  FileEntry() { choiceItems.fill(kEmptyChoiceSlot); }
};

struct WinItemRecord {
  std::string group, command, title, workingDirectory, iconFile;
  // The word after the icon file as written; empty when the line has none.
  std::string iconIndex;
  bool error = false;
  WinItemMode mode = WinItemMode::kAdd;
};

struct IniFileRecord {
  ChangeMode mode = ChangeMode::kChange;
  bool add = false;
  std::string section, entry, value;
  std::string fileName = "WIN.INI";
  bool error = false;
};

struct AddTextRecord {
  std::string text, targetFile, position;
  bool replace = false;
  bool error = false;
};

struct DeleteRecord {
  std::string file;
  bool error = false;
};

struct RenameRecord {
  std::string oldName, newName;
  bool error = false;
};

struct AutoexecSpec {
  ChangeMode mode = ChangeMode::kNone;  // kNone: no AUTOEXEC line
  bool addPath = false;
  std::vector<TextValue> addPathDirectories;
  std::vector<TextValue> addLines;
  bool share = false;
  int32_t shareNumbers[2] = {0, 0};
};

struct ConfigSpec {
  ChangeMode mode = ChangeMode::kNone;  // kNone: no CONFIG line
  int32_t bufferMin = -1;
  int32_t fileMin = -1;
  std::vector<TextValue> addLines;
};

// Registry blocks (BEGINREGISTRY ... ENDREGISTRY).
enum class RegistryRoot : int32_t {
  kClassesRoot, kUsers, kLocalMachine, kCurrentUser, kCurrentConfig, kDynData
};
enum class RegistryKeyAction : int16_t { kNew = 1, kDelete = 2, kRename = 3, kQuery = 4 };
enum class RegistryValueAction : int32_t {
  kNew = 5, kDelete = 6, kRename = 7, kReplace = 8, kMax = 9, kMin = 10, kIncrement = 11
};

struct RegistryValueEntry {
  uint32_t type = 1;  // REG_SZ 1 ... REG_FULL_RESOURCE_DESCRIPTOR 9
  RegistryValueAction action = RegistryValueAction::kNew;
  bool isDefault = false;   // the name was "DEFAULT": the key's unnamed value
  std::string name;
  std::string data;         // as written (strings, numbers, the new name of RENAME)
  std::vector<uint8_t> bytes;  // BINARY data converted
  bool newIsDefault = false;   // RENAME to "DEFAULT"
};

struct RegistryBlock {
  static constexpr size_t kMaxValues = capacity::kRegistryValues;
  static constexpr size_t kMaxCreatedKeys = capacity::kRegistryKeys;
  static constexpr size_t kMaxStringData = capacity::kRegistryString;
  RegistryRoot root = RegistryRoot::kLocalMachine;
  RegistryKeyAction action = RegistryKeyAction::kNew;
  std::string rootName;  // as written in the script
  std::string keyPath;
  std::string newKeyName;
  std::vector<RegistryValueEntry> values;
};

// A text block of a screen (BEGINFIRSTSCREEN, BEGINLASTSCREEN, EXITMESSAGE,
// BEGINGROUP, POPMESSAGE): the raw lines between the header and the end
// keyword, leading blanks kept, and the font the header named.
struct TextBlock {
  std::vector<std::string> lines;
  std::string fontFace;   // empty: the script's dialog font
  int32_t fontSize = 0;   // 0: the default size
  int32_t firstLine = 0;  // script line number of the first line of the block
};

// One BEGINGROUP screen with a condition number.
struct ChoiceGroup {
  std::unique_ptr<TextBlock> text;  // none: no template
  int32_t conditionNumber = -1;     // the choice-item number whose choice shows this screen
  uint32_t mask = 1;
  int32_t firstItem = 0;
  int32_t endItem = 0;
  bool exclusive = false;
};

struct PopupMessage {
  static constexpr size_t kFontNameCapacity = capacity::kFontName;
  std::unique_ptr<TextBlock> text;
  int32_t id = 0;
  std::string fontName;
  int32_t fontSize = 10;
};

// The raw lines of an IF ... ENDIF block that waits for the user's choices.
struct DeferredBlock {
  static constexpr size_t kMaxLines = capacity::kDeferredLines;
  static constexpr size_t kLineCapacity = capacity::kDeferredLine;
  std::vector<std::string> lines;  // slot 0 is the IF line
  int32_t firstLineNumber = 0;     // script line number of the IF line
  int32_t lastLineNumber = 0;
};

struct DirectorySpec {
  static constexpr size_t kPromptCapacity = capacity::kDirectoryPrompt;
  static constexpr size_t kPathCapacity = capacity::kDirectoryPath;
  std::string prompt;
  bool promptGiven = false;
  int32_t askMode = 3;  // 0 nothing, 1 NOASKDRIVE, 2 NOASKDIR, 3 drive and directory
  std::string path;
};

struct AskSpec {
  static constexpr size_t kDefaultCapacity = capacity::kAskDefault;
  static constexpr size_t kPromptCapacity = capacity::kAskPrompt;
  std::string defaultAnswer;
  std::string prompt;
  bool promptGiven = false;
};

struct ScreenGraphic {
  std::string file;
  int32_t position = 0;  // 1 TOPLEFT ... 10 FULLSCREEN, 0 none
};

struct IntroScreen {
  std::string file;
  int32_t seconds = 0;
};

constexpr size_t kMaxChoiceItems = capacity::kChoiceItems;
constexpr size_t kMaxConditionalGroups = capacity::kConditionalGroups;
constexpr size_t kMaxPopups = capacity::kPopups;

class InstallScript {
 public:
  static constexpr size_t kReadmeCapacity = capacity::kReadme;
  static constexpr size_t kTitleCapacity = capacity::kTitle;

  int32_t choiceItemCount = 0;
  int32_t minimumDiskSpace = -1;
  std::array<int32_t, kMaxChoiceItems> itemDiskSpace{};  // per item index
  std::vector<WinItemRecord> winItems;
  std::vector<IniFileRecord> iniFiles;
  std::vector<AddTextRecord> addTexts;
  std::vector<RegistryBlock> registryBlocks;
  std::vector<DeleteRecord> deletes;
  std::vector<RenameRecord> renames;
  std::vector<DeferredBlock> deferredBlocks;
  int32_t deferredBlockCount = 0;
  std::string readmeFile;
  std::string title;
  Colour titleColour{128, 128, 255};
  Colour screenColour1{0, 0, 255};
  Colour screenColour2{0, 0, 0};
  std::vector<TextValue> exitCommands;
  TextValue startCommand;
  std::unique_ptr<ScreenGraphic> screenGraphic;
  std::unique_ptr<IntroScreen> introScreen;
  int32_t progressTotal = 0;  // PROGRESSBAR, bytes
  int32_t lineNumber = 0;
  int32_t fileCount = 0;
  bool error = false;
  int32_t minimumProcessor = 0;
  std::unique_ptr<TextBlock> mainGroup;
  std::unique_ptr<TextBlock> firstScreen;
  std::unique_ptr<TextBlock> lastScreen;
  std::unique_ptr<TextBlock> exitMessage;
  std::vector<FileEntry> fileEntries;
  AutoexecSpec autoexec;
  ConfigSpec config;
  int32_t conditionalGroupCount = 0;
  std::array<ChoiceGroup, kMaxConditionalGroups> conditionalGroups;
  bool mainGroupExclusive = false;
  int32_t mainGroupEndItem = 0;
  std::array<PopupMessage, kMaxPopups> popups;
  int32_t popupCount = 0;
  // What the destination and question dialogs ask (created on first use).
  std::unique_ptr<DirectorySpec> defaultDir, dir2, dir3;
  std::array<std::unique_ptr<AskSpec>, 5> asks;
  // Set by the choice screens when the user selected a group.
  bool groupSelected = false;
  // Set by the parser when any FILE entry uses COMPRESSED or SELF-EXTRACT.
  bool compressedFilesPresent = false;
  // Set when any FILE entry needs an external decompressor: the progress
  // bar then counts files.
  bool progressBytesUnknown = false;
};

// Font of the TITLE line.
struct TitleFont {
  std::string face = "Arial";
  bool italic = false, bold = false, underline = false;
  int32_t size = 0;
};

// Values the script sets that are process-wide in the engine.
struct ScriptSettings {
  static constexpr size_t kFontNameCapacity = capacity::kFontName;
  OverwritePolicy overwrite = OverwritePolicy::kAsk;
  RebootMode rebootMode = RebootMode::kNone;
  CompressionTool compressionMethod = CompressionTool::kPkware;
  bool uninstall = false;
  std::string dialogFontName = "MS Sans Serif";
  TitleFont titleFont;
  std::string screenBlockFontFace;  // while a first or last screen block is read
  int32_t screenBlockFontSize = 0;
  std::vector<std::string> components;  // REGSERVER
  std::array<int32_t, kMaxChoiceItems> itemNumberMap;  // choice number -> item index, -1 undefined
  std::array<int32_t, kMaxChoiceItems> itemChosen{};
  std::array<int32_t, kMaxChoiceItems> itemPreset{};
  char defaultDriveLetter = 'C';
  double windowsVersion = 0;
  double dosVersion = 0;

  ScriptSettings() { itemNumberMap.fill(-1); }
};

// The $NAME$ variables.
struct ScriptVariables {
  static constexpr size_t kValueCapacity = capacity::kVariableValue;
  std::string sourceDir, sourceDir8, sourceDrive;
  std::string defaultDir, defaultDir8, defaultDrive;
  std::string dir2, dir3;
  std::string winDir, winSysDir, winHelpDir;
  std::string system, sys2, sys3;
  std::array<std::string, 5> ask;
  std::string locateDir = "C:\\NEWFILES";
  std::string locateDrive = "C";
  std::string left, right, search;
};

}  // namespace quorril
