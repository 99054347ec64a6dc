// Start-up against the in-memory machine: the command line, the start-up
// values, the road decision, the normal run and its failures, and the
// clean-up of the temporary copy at exit.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/memory/fault_file_system.h"
#include "platform/memory/memory_file_system.h"
#include "platform/memory/memory_machine.h"
#include "platform/memory/memory_profile.h"
#include "platform/windows_path.h"
#include "shell/setup_context.h"
#include "shell/startup.h"
#include "support/pe_image.h"

namespace quorril {
namespace {

class StartupTest : public ::testing::Test {
 protected:
  StartupTest() : ctx(Ports{&files, &machine, &process, &ui, nullptr, &profile}) {
    files.AddDirectory("C:\\SETUP");
    files.AddDirectory("C:\\WINDOWS\\SYSTEM");
    files.AddDirectory("C:\\WINDOWS\\TEMP");
  }

  bool Run(const std::string& arguments, const std::string& executable = "C:\\SETUP\\SETUP.EXE") {
    machine.executablePath = executable;
    return Startup(ctx, arguments, executable);
  }

  MemoryFileSystem files;
  MemoryMachine machine;
  MemoryProcess process;
  ScriptedUserInterface ui;
  MemoryProfile profile{files, machine};
  SetupContext ctx;
};

// ---- the script path and the options ----------------------------------------

TEST_F(StartupTest, WithoutArgumentsTheScriptIsNamedAfterTheExecutable) {
  files.AddFile("C:\\SETUP\\SETUP.cfg", "");
  ASSERT_TRUE(Run(""));
  EXPECT_EQ(ctx.startup.executableDirectory, "C:\\SETUP\\");
  EXPECT_EQ(ctx.startup.executablePath, "C:\\SETUP\\SETUP.EXE");
  EXPECT_EQ(ctx.startup.scriptPath, "C:\\SETUP\\SETUP.cfg");
  EXPECT_EQ(ctx.script.variables.sourceDir, "C:\\SETUP");
  EXPECT_EQ(ctx.script.variables.sourceDir8, "C:\\SETUP");
  EXPECT_EQ(ctx.script.variables.sourceDrive, "C");
  EXPECT_EQ(files.GetCurrentDirectory(), "C:\\SETUP");
  EXPECT_EQ(ctx.script.variables.system, "");
  EXPECT_EQ(ctx.script.variables.sys2, "");
  EXPECT_EQ(ctx.script.variables.sys3, "");
}

TEST_F(StartupTest, TheSameProgramUnderAnotherNameReadsItsOwnScript) {
  files.AddFile("C:\\SETUP\\INST2.cfg", "");
  ASSERT_TRUE(Run("", "C:\\SETUP\\INST2.EXE"));
  EXPECT_EQ(ctx.startup.scriptPath, "C:\\SETUP\\INST2.cfg");

  // A name without an extension is completed with ".exe" first.
  EXPECT_EQ(ComposeExecutablePath("A:\\", "SETUP"), "A:\\SETUP.exe");
  EXPECT_EQ(ComposeExecutablePath("A:\\", "SETUP.EXE"), "A:\\SETUP.EXE");
  EXPECT_EQ(ComposeExecutablePath("A:\\", "SET.UP.X"), "A:\\SET.UP.X.exe");
  EXPECT_EQ(DefaultScriptPath("A:\\SETUP.EXE"), "A:\\SETUP.cfg");
  EXPECT_EQ(DefaultScriptPath("A:\\V1.2\\SETUP.EXE"), "A:\\V1.2\\SETUP.cfg");
  // A dot in the first character does not count.
  EXPECT_EQ(DefaultScriptPath(".EXE"), ".EXE.cfg");
  EXPECT_EQ(DefaultScriptPath("SETUP"), "SETUP.cfg");
}

TEST_F(StartupTest, AtMostThreeOptionsAreTaken) {
  files.AddFile("C:\\SETUP\\SETUP.cfg", "");
  ASSERT_TRUE(Run("-a -b -c -d"));
  EXPECT_EQ(ctx.script.variables.system, "a");
  EXPECT_EQ(ctx.script.variables.sys2, "b");
  EXPECT_EQ(ctx.script.variables.sys3, "c");
  EXPECT_EQ(ctx.startup.scriptPath, "C:\\SETUP\\SETUP.cfg");
}

TEST_F(StartupTest, TokensAfterTheThirdOptionAreNotLookedAt) {
  files.AddFile("C:\\SETUP\\SETUP.cfg", "");
  ASSERT_TRUE(Run("\t-x\n-y  -z OTHER.CFG"));
  EXPECT_EQ(ctx.script.variables.system, "x");
  EXPECT_EQ(ctx.script.variables.sys2, "y");
  EXPECT_EQ(ctx.script.variables.sys3, "z");
  EXPECT_EQ(ctx.startup.scriptPath, "C:\\SETUP\\SETUP.cfg");
}

TEST_F(StartupTest, ABareScriptNameIsTakenFromTheExecutableDirectory) {
  files.AddFile("C:\\SETUP\\MY.CFG", "");
  ASSERT_TRUE(Run("-a MY.CFG"));
  EXPECT_EQ(ctx.script.variables.system, "a");
  EXPECT_EQ(ctx.script.variables.sys2, "");
  EXPECT_EQ(ctx.startup.scriptPath, "C:\\SETUP\\MY.CFG");
}

TEST_F(StartupTest, AFullScriptPathIsUsedUnchanged) {
  files.AddDrive('D', DriveType::kFixed);
  files.AddDirectory("D:\\PKG");
  files.AddFile("D:\\PKG\\SETUP.CFG", "");
  ASSERT_TRUE(Run("D:\\PKG\\SETUP.CFG"));
  EXPECT_EQ(ctx.startup.scriptPath, "D:\\PKG\\SETUP.CFG");
  EXPECT_EQ(ctx.script.variables.sourceDir, "D:\\PKG");
  EXPECT_EQ(ctx.script.variables.sourceDrive, "D");
  // The executable directory stays the current directory.
  EXPECT_EQ(files.GetCurrentDirectory(), "C:\\SETUP");
}

TEST_F(StartupTest, AScriptPathWithoutBackslashGivesAnEmptySourceDirectory) {
  files.AddFile("C:\\SETUP\\MY.CFG", "");
  ASSERT_TRUE(Run("C:MY.CFG"));
  EXPECT_EQ(ctx.startup.scriptPath, "C:MY.CFG");
  EXPECT_EQ(ctx.script.variables.sourceDir, "");
  EXPECT_EQ(ctx.script.variables.sourceDrive, "C");
  EXPECT_EQ(CutAtLastBackslash("SETUP.CFG"), "");
  EXPECT_EQ(CutAtLastBackslash("A:\\SETUP.CFG"), "A:");
}

TEST_F(StartupTest, TheShortSourceDirectoryComesFromTheShortScriptPath) {
  files.AddDirectory("C:\\Program Files\\Long Setup");
  files.AddFile("C:\\Program Files\\Long Setup\\Long Script.cfg", "");
  ASSERT_TRUE(Run("-q", "C:\\Program Files\\Long Setup\\Long Script.exe"));
  EXPECT_EQ(ctx.startup.scriptPath, "C:\\Program Files\\Long Setup\\Long Script.cfg");
  EXPECT_EQ(ctx.script.variables.sourceDir, "C:\\Program Files\\Long Setup");
  std::string shortPath;
  ASSERT_TRUE(files.GetShortPathName("C:\\Program Files\\Long Setup\\Long Script.cfg", &shortPath));
  EXPECT_EQ(ctx.startup.shortScriptPath, shortPath);
  EXPECT_EQ(ctx.script.variables.sourceDir8, CutAtLastBackslash(shortPath));
  EXPECT_NE(ctx.script.variables.sourceDir8, ctx.script.variables.sourceDir);
}

TEST_F(StartupTest, OverlongOptionsAreCutToTheirCapacity) {
  files.AddFile("C:\\SETUP\\SETUP.cfg", "");
  ASSERT_TRUE(Run("-" + std::string(600, 'o')));
  EXPECT_EQ(ctx.script.variables.system, std::string(503, 'o'));
}

// ---- the embedded archive ----------------------------------------------------

void PutLe32(std::string* s, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) (*s)[at + i] = char((v >> (8 * i)) & 0xFF);
}

// An executable image followed by an archive with one member.
std::string ExecutableWithPayload(const std::string& name, const std::string& data,
                                  const std::string& image = "MZ executable image") {
  std::string exe = image;
  exe.append(kArchiveMagic, sizeof kArchiveMagic);
  size_t header = exe.size();
  exe.append(kArchiveHeaderSize, '\0');
  PutLe32(&exe, header + 4, kAttrArchive);
  PutLe32(&exe, header + 16, uint32_t(data.size()));
  std::memcpy(&exe[header + 20], name.data(), name.size());
  exe += data;
  size_t trailer = exe.size();
  exe.append(kArchiveTrailerSize, '\0');
  std::memcpy(&exe[trailer], kArchiveMagic, sizeof kArchiveMagic);
  PutLe32(&exe, trailer + 8, uint32_t(header));
  PutLe32(&exe, trailer + 12, uint32_t(header));
  return exe;
}

TEST_F(StartupTest, AScriptInThePayloadIsReadFromThePayload) {
  files.AddFile("C:\\SETUP\\SETUP.EXE", ExecutableWithPayload("SETUP.cfg", "REM from the payload\n"));
  ASSERT_TRUE(Run(""));
  EXPECT_TRUE(ctx.archive.HasArchive());
  EXPECT_TRUE(ui.boxes.empty());
  // No file on the disk has a short name: the long form stands in for it.
  EXPECT_EQ(ctx.startup.shortScriptPath, "C:\\SETUP\\SETUP.cfg");
  EXPECT_EQ(ctx.script.variables.sourceDir8, "C:\\SETUP");
}

// ---- the road decision -------------------------------------------------------

TEST(StartupRules, OnlyALineBeginningWithInsertDiskAndColonCounts) {
  EXPECT_TRUE(IsInsertDiskLine("INSERTDISK: \"Disk 2\"\n"));
  EXPECT_TRUE(IsInsertDiskLine("insertdisk:\"Disk 2\""));
  EXPECT_TRUE(IsInsertDiskLine("InsertDisk:"));
  EXPECT_FALSE(IsInsertDiskLine(" INSERTDISK: \"Disk 2\""));
  EXPECT_FALSE(IsInsertDiskLine("\tINSERTDISK: \"Disk 2\""));
  EXPECT_FALSE(IsInsertDiskLine("INSERTDISK \"Disk 2\""));
  EXPECT_FALSE(IsInsertDiskLine("INSERTDISK"));
  EXPECT_FALSE(IsInsertDiskLine("REM INSERTDISK:"));
}

TEST(StartupRules, OnlyAFirstProcessOnANonFixedDriveWithDisksRelaunches) {
  EXPECT_TRUE(NeedsRelaunch(false, true, DriveType::kRemovable));
  EXPECT_TRUE(NeedsRelaunch(false, true, DriveType::kCdRom));
  EXPECT_TRUE(NeedsRelaunch(false, true, DriveType::kRemote));
  EXPECT_FALSE(NeedsRelaunch(false, true, DriveType::kFixed));
  EXPECT_FALSE(NeedsRelaunch(false, false, DriveType::kRemovable));
  EXPECT_FALSE(NeedsRelaunch(true, true, DriveType::kRemovable));
  EXPECT_TRUE(IsTemporaryCopy("C:\\TEMP\\~0000.exe"));
  EXPECT_TRUE(IsTemporaryCopy("C:\\~0000DIR\\SETUP.EXE"));
  EXPECT_FALSE(IsTemporaryCopy("C:\\TEMP\\~0001.exe"));
}

class RoadTest : public StartupTest {
 protected:
  RoadTest() { files.AddDrive('A', DriveType::kRemovable, "DISK1"); }
  Road Decide(const std::string& script, const std::string& executable = "A:\\SETUP.EXE") {
    files.AddFile("A:\\SETUP.cfg", script);
    files.SetCurrentDirectory("A:\\");
    ctx.startup.executablePath = executable;
    ctx.startup.scriptPath = "A:\\SETUP.cfg";
    return DecideRoad(ctx);
  }
};

TEST_F(RoadTest, AnInsertDiskLineOnAFloppyAsksForTheRelaunch) {
  EXPECT_EQ(Decide("TITLE \"x\"\nINSERTDISK: \"Disk 2\"\nFILE: \"a.txt\"\n"), Road::kRelaunch);
}

TEST_F(RoadTest, LowerCaseCountsButIndentedOrColonlessLinesDoNot) {
  EXPECT_EQ(Decide("insertdisk: \"Disk 2\"\n"), Road::kRelaunch);
  EXPECT_EQ(Decide(" INSERTDISK: \"Disk 2\"\n"), Road::kNormalRun);
  EXPECT_EQ(Decide("INSERTDISK \"Disk 2\"\n"), Road::kNormalRun);
  EXPECT_EQ(Decide("REM no disks\n"), Road::kNormalRun);
  // A last line without a line feed is read too.
  EXPECT_EQ(Decide("REM\r\nINSERTDISK:"), Road::kRelaunch);
  EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(RoadTest, AFixedDiskRunsWithoutRelaunch) {
  files.AddFile("C:\\SETUP\\SETUP.cfg", "INSERTDISK: \"Disk 2\"\n");
  ctx.startup.executablePath = "C:\\SETUP\\SETUP.EXE";
  ctx.startup.scriptPath = "C:\\SETUP\\SETUP.cfg";
  files.SetCurrentDirectory("C:\\SETUP");
  EXPECT_EQ(DecideRoad(ctx), Road::kNormalRun);
}

TEST_F(RoadTest, TheTemporaryCopySkipsThePreScan) {
  ctx.startup.executablePath = "C:\\WINDOWS\\TEMP\\~0000.exe";
  ctx.startup.scriptPath = "A:\\MISSING.cfg";
  EXPECT_EQ(DecideRoad(ctx), Road::kNormalRun);
  EXPECT_TRUE(ui.boxes.empty());
}


// ---- the normal run ------------------------------------------------------------

TEST_F(StartupTest, TheNormalRunShowsTheMaximizedWindowAndPostsThePhase) {
  machine.display.width = 1024;
  machine.display.height = 768;
  files.AddFile("C:\\SETUP\\SETUP.cfg", "REM nothing to do\n");
  ASSERT_TRUE(Run(""));
  EXPECT_EQ(ctx.startup.screenWidth, 1024);
  EXPECT_EQ(ctx.startup.screenHeight, 768);
  ASSERT_NE(ctx.script.model, nullptr);
  EXPECT_TRUE(ui.mainWindowCreated);
  EXPECT_TRUE(ui.mainWindowShown);
  EXPECT_EQ(ui.mainWindowTitle, "Quorril");
  EXPECT_TRUE(ui.installPhasePosted);
  EXPECT_TRUE(ctx.startup.ownerWindowSet);
  EXPECT_TRUE(ui.boxes.empty());
  EXPECT_TRUE(process.started.empty());
  EXPECT_EQ(ctx.script.variables.winDir, "C:\\WINDOWS");
  EXPECT_EQ(ctx.script.variables.winHelpDir, "C:\\WINDOWS\\help");
  EXPECT_EQ(ctx.script.variables.winSysDir, "C:\\WINDOWS\\SYSTEM");
}

TEST_F(StartupTest, ARootWindowsDirectoryLosesItsBackslash) {
  machine.windowsDirectory = "C:\\";
  machine.systemDirectory = "C:\\SYSTEM\\";
  files.AddFile("C:\\SETUP\\SETUP.cfg", "");
  ASSERT_TRUE(Run(""));
  EXPECT_EQ(ctx.script.variables.winDir, "C:");
  EXPECT_EQ(ctx.script.variables.winHelpDir, "C:\\help");
  EXPECT_EQ(ctx.script.variables.winSysDir, "C:\\SYSTEM");
}

TEST_F(StartupTest, TheStartCommandRunsAndIsWaitedFor) {
  files.AddFile("C:\\SETUP\\SETUP.cfg", "RUNATSTART \"notepad C:\\README.TXT\"\n");
  process.hook = [](const std::string&) { return false; };  // cannot be started: not shown
  ASSERT_TRUE(Run(""));
  ASSERT_EQ(process.started.size(), 1u);
  EXPECT_EQ(process.started[0].commandLine, "notepad C:\\README.TXT");
  EXPECT_TRUE(process.started[0].waited);
  EXPECT_TRUE(ui.boxes.empty());
  EXPECT_TRUE(ui.installPhasePosted);
}

// ---- failures ------------------------------------------------------------------

void ExpectStartupWarning(const ScriptedUserInterface& ui, const std::string& text) {
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].text, text);
  ASSERT_TRUE(ui.boxes[0].caption.has_value());
  EXPECT_EQ(*ui.boxes[0].caption, " ");
  EXPECT_EQ(ui.boxes[0].style, uint32_t(kMbOk | kMbIconWarning));
  EXPECT_FALSE(ui.boxes[0].owned);
  EXPECT_FALSE(ui.mainWindowShown);
  EXPECT_FALSE(ui.installPhasePosted);
}

TEST_F(StartupTest, AMissingScriptIsReportedBeforeAnyWindow) {
  EXPECT_FALSE(Run(""));
  ExpectStartupWarning(ui, "File not found on the installation disk: C:\\SETUP\\SETUP.cfg. ");
  EXPECT_FALSE(ui.mainWindowCreated);
  EXPECT_EQ(ctx.script.model, nullptr);
}

// A signed package runs from its payload; one whose certificate table runs
// past its end is cut short, and that is what the message says (not that
// the script is missing).
TEST_F(StartupTest, ASignedPackageRunsAndOneCutShortIsReportedAsDamaged) {
  const std::string signed_ = testing::Sign(
      ExecutableWithPayload("SETUP.cfg", "REM from the payload\n", testing::PeImage(testing::PeKind::kPe32Plus)),
      testing::PeKind::kPe32Plus);
  files.AddFile("C:\\SETUP\\SETUP.EXE", signed_);
  ASSERT_TRUE(Run(""));
  EXPECT_TRUE(ctx.archive.HasArchive());
  EXPECT_TRUE(ui.boxes.empty());

  MemoryFileSystem cutFiles;
  cutFiles.AddDirectory("C:\\SETUP");
  cutFiles.AddFile("C:\\SETUP\\SETUP.EXE", signed_.substr(0, signed_.size() - 100));
  ScriptedUserInterface cutUi;
  SetupContext cut(Ports{&cutFiles, &machine, &process, &cutUi, nullptr, &profile});
  EXPECT_FALSE(Startup(cut, "", "C:\\SETUP\\SETUP.EXE"));
  ExpectStartupWarning(cutUi,
                       "The setup program is damaged: its certificate table does not lie inside the file "
                       "C:\\SETUP\\SETUP.EXE. ");
}

TEST_F(StartupTest, AnExecutablePathWithoutBackslashIsAnInvalidDirectory) {
  EXPECT_FALSE(Run("", "SETUP.EXE"));
  ExpectStartupWarning(ui, "Invalid directory.");
  EXPECT_FALSE(ui.mainWindowCreated);
}

TEST_F(StartupTest, AnOverlongScriptPathIsRefusedAsNotFound) {
  std::string name = "C:\\" + std::string(1000, 'x') + ".cfg";
  EXPECT_FALSE(Run(name));
  ExpectStartupWarning(ui, "File not found on the installation disk: " + name + ". ");
}

TEST_F(StartupTest, ASyntaxErrorEndsTheRunWithoutShowingTheWindow) {
  files.AddFile("C:\\SETUP\\SETUP.cfg", "REM first\nTITLE \"x\"\nMinCpuType: 486\nREM never read\n");
  EXPECT_FALSE(Run(""));
  ASSERT_EQ(ui.boxes.size(), 1u);
  ASSERT_TRUE(ui.boxes[0].caption.has_value());
  EXPECT_EQ(*ui.boxes[0].caption, "Syntax error, line: 3");
  EXPECT_EQ(ui.boxes[0].text.substr(0, 15), "MinCpuType: 486");
  EXPECT_FALSE(ui.boxes[0].owned);
  EXPECT_FALSE(ui.mainWindowShown);
  EXPECT_FALSE(ui.installPhasePosted);
  EXPECT_FALSE(ctx.startup.ownerWindowSet);
}

TEST_F(StartupTest, TheTemporaryCopyShowsTheParsersMessageForAMissingScript) {
  files.AddFile("C:\\WINDOWS\\TEMP\\~0000.exe", "");
  EXPECT_FALSE(Run("A:\\SETUP.cfg", "C:\\WINDOWS\\TEMP\\~0000.exe"));
  ASSERT_EQ(ui.boxes.size(), 1u);
  // The parser's own message has the system's default caption.
  EXPECT_FALSE(ui.boxes[0].caption.has_value());
  EXPECT_EQ(ui.boxes[0].text, "File not found on the installation disk: A:\\SETUP.cfg. ");
  EXPECT_FALSE(ui.mainWindowShown);
}

TEST_F(StartupTest, AScriptCanRewordTheStartupTexts) {
  files.AddFile("C:\\SETUP\\SETUP.cfg", "FILENOTFOUNDPROMPT: \"Missing: \"\n");
  ASSERT_TRUE(Run(""));
  EXPECT_EQ(ctx.Prompt(PromptId::kFileNotFound), "Missing: ");
  EXPECT_EQ(ctx.Prompt(PromptId::kBadDir), "Invalid directory.");
  EXPECT_EQ(ctx.Prompt(PromptId::kCommandFailure), "Cannot execute command ");
}

// ---- the relaunch --------------------------------------------------------------

// A package on three disks started from A:, its executable carrying a
// payload of `exeSize` bytes in all.
class RelaunchTest : public ::testing::Test {
 protected:
  RelaunchTest() {
    files.AddDirectory("C:\\WINDOWS\\SYSTEM");
    files.AddDirectory("C:\\WINDOWS\\TEMP");
    files.AddDrive('A', DriveType::kRemovable, "DISK1");
    files.AddFile("A:\\SETUP.cfg", "TITLE \"Three disks\"\nINSERTDISK: \"Disk 2\"\nFILE: \"two.txt\"\n");
  }

  bool Start(const std::string& arguments, FileSystem* fs = nullptr) {
    contexts.push_back(
        std::make_unique<SetupContext>(Ports{fs ? fs : &files, &machine, &process, &ui, nullptr, &profile}));
    machine.executablePath = "A:\\SETUP.EXE";
    return Startup(*contexts.back(), arguments, "A:\\SETUP.EXE");
  }
  SetupContext& ctx() { return *contexts.back(); }
  std::string Contents(const std::string& path) {
    std::string data;
    EXPECT_TRUE(files.ReadWholeFile(path, &data)) << path;
    return data;
  }

  MemoryFileSystem files;
  FaultFileSystem faulty{files};
  MemoryMachine machine;
  MemoryProcess process;
  ScriptedUserInterface ui;
  MemoryProfile profile{files, machine};
  std::vector<std::unique_ptr<SetupContext>> contexts;
};

// An image whose bytes differ from block to block, so that a block copied
// twice or left out shows.
std::string Image(size_t size) {
  std::string image(size, '\0');
  image[0] = 'M';
  image[1] = 'Z';
  for (size_t i = 2; i < size; ++i) image[i] = char((i * 7 + i / 32768) & 0xFF);
  return image;
}

TEST_F(RelaunchTest, TheCopyStartsWithTheScriptAndTheOptionsAndThisProcessEnds) {
  std::string exe = ExecutableWithPayload("install.pif", "[pif from the payload]", Image(70000));
  files.AddFile("A:\\SETUP.EXE", exe);
  EXPECT_FALSE(Start("-x -y"));

  // Byte for byte, through more than two blocks.
  EXPECT_EQ(Contents("C:\\WINDOWS\\TEMP\\~0000.exe"), exe);
  EXPECT_EQ(Contents("C:\\WINDOWS\\TEMP\\~0000.pif"), "[pif from the payload]");
  // The batch file waits until the copy has ended and can be deleted.
  EXPECT_EQ(Contents("C:\\WINDOWS\\TEMP\\~0000.bat"),
            "@ECHO OFF\r\n"
            ":again\r\n"
            "del C:\\WINDOWS\\TEMP\\~0000.exe\r\n"
            "if not exist C:\\WINDOWS\\TEMP\\~0000.exe goto gone\r\n"
            "ping -n 2 127.0.0.1 >NUL\r\n"
            "goto again\r\n"
            ":gone\r\n"
            "del C:\\WINDOWS\\TEMP\\~0000.pif\r\n"
            "del C:\\WINDOWS\\TEMP\\~0000.bat\r\n");
  ASSERT_EQ(process.started.size(), 1u);
  EXPECT_EQ(process.started[0].commandLine, "C:\\WINDOWS\\TEMP\\~0000.exe A:\\SETUP.cfg -x -y");
  EXPECT_EQ(process.started[0].showState, kShowShow);
  EXPECT_FALSE(process.started[0].waited);

  // Nothing was shown and no script model was made.
  EXPECT_TRUE(ui.boxes.empty());
  EXPECT_FALSE(ui.mainWindowCreated);
  EXPECT_EQ(ctx().script.model, nullptr);
  // The payload is attached again.
  EXPECT_TRUE(ctx().archive.HasArchive());
}

TEST_F(RelaunchTest, AnExecutableOfWholeBlocksIsCopiedWhole) {
  for (size_t size : {size_t(32768), size_t(3 * 32768), size_t(32767), size_t(1)}) {
    std::string exe = Image(size);
    files.AddFile("A:\\SETUP.EXE", exe);
    process.started.clear();
    EXPECT_FALSE(Start(""));
    EXPECT_EQ(Contents("C:\\WINDOWS\\TEMP\\~0000.exe"), exe) << size;
    ASSERT_EQ(process.started.size(), 1u);
    // Without options the copy gets the script path alone.
    EXPECT_EQ(process.started[0].commandLine, "C:\\WINDOWS\\TEMP\\~0000.exe A:\\SETUP.cfg");
  }
}

TEST_F(RelaunchTest, TheProgramInformationFileComesFromTheDiskOrIsNotMade) {
  files.AddFile("A:\\SETUP.EXE", Image(100));
  files.AddFile("A:\\install.pif", "[pif from the disk]");
  EXPECT_FALSE(Start("-q"));
  EXPECT_EQ(Contents("C:\\WINDOWS\\TEMP\\~0000.pif"), "[pif from the disk]");
  EXPECT_EQ(process.started.back().commandLine, "C:\\WINDOWS\\TEMP\\~0000.exe A:\\SETUP.cfg -q");

  // A package without one leaves none behind, not even an older one: the
  // clean-up at exit then goes through the command interpreter.
  files.DeleteFile("A:\\install.pif");
  EXPECT_FALSE(Start(""));
  EXPECT_FALSE(files.Exists("C:\\WINDOWS\\TEMP\\~0000.pif"));
  EXPECT_TRUE(files.Exists("C:\\WINDOWS\\TEMP\\~0000.exe"));
  EXPECT_TRUE(files.Exists("C:\\WINDOWS\\TEMP\\~0000.bat"));
}

TEST_F(RelaunchTest, TheTemporaryCopyRunsTheInstallationAndRemovesItselfAtExit) {
  files.AddFile("A:\\SETUP.EXE", Image(5000));
  EXPECT_FALSE(Start("-opt"));
  ASSERT_EQ(process.started.size(), 1u);

  // The copy starts the way the command line says, from the temporary
  // directory: it takes the normal run with the script on the disk.
  std::string arguments = process.started[0].commandLine.substr(std::string("C:\\WINDOWS\\TEMP\\~0000.exe ").size());
  contexts.push_back(std::make_unique<SetupContext>(Ports{&files, &machine, &process, &ui, nullptr, &profile}));
  machine.executablePath = "C:\\WINDOWS\\TEMP\\~0000.exe";
  ASSERT_TRUE(Startup(ctx(), arguments, "C:\\WINDOWS\\TEMP\\~0000.exe"));
  EXPECT_EQ(ctx().startup.scriptPath, "A:\\SETUP.cfg");
  EXPECT_EQ(ctx().script.variables.sourceDir, "A:");
  EXPECT_EQ(ctx().script.variables.system, "opt");
  EXPECT_TRUE(ui.mainWindowShown);
  EXPECT_EQ(process.started.size(), 1u);

  ExitCleanup(ctx());
  ASSERT_EQ(process.started.size(), 2u);
  EXPECT_EQ(process.started[1].commandLine, "C:\\WINDOWS\\COMMAND.COM /C C:\\WINDOWS\\TEMP\\~0000.bat");
  EXPECT_EQ(process.started[1].showState, kShowHide);
}

TEST_F(RelaunchTest, ABatchFileThatCannotBeCreatedEndsTheProcessWithItsPath) {
  files.AddFile("A:\\SETUP.EXE", Image(100));
  files.AddFile("C:\\WINDOWS\\TEMP\\~0000.bat", "", kAttrReadOnly);
  EXPECT_FALSE(Start(""));
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].text, "File not found on the installation disk: C:\\WINDOWS\\TEMP\\~0000.bat. ");
  ASSERT_TRUE(ui.boxes[0].caption.has_value());
  EXPECT_EQ(*ui.boxes[0].caption, " ");
  EXPECT_EQ(ui.boxes[0].style, uint32_t(kMbOk | kMbIconWarning));
  EXPECT_FALSE(ui.boxes[0].owned);
  EXPECT_TRUE(process.started.empty());
  EXPECT_FALSE(ui.mainWindowCreated);
  // The copy already made stays.
  EXPECT_TRUE(files.Exists("C:\\WINDOWS\\TEMP\\~0000.exe"));
}

TEST_F(RelaunchTest, WithoutATemporaryDirectoryTheRootIsUsed) {
  files.SetTempDirectory("");
  files.AddFile("A:\\SETUP.EXE", Image(10));
  EXPECT_FALSE(Start(""));
  EXPECT_TRUE(files.Exists("C:\\~0000.exe"));
  EXPECT_TRUE(files.Exists("C:\\~0000.bat"));
  EXPECT_EQ(process.started.back().commandLine, "c:\\~0000.exe A:\\SETUP.cfg");
}

// The copy splits its command line at blanks: a script beside an executable
// in a folder with blanks reaches it by its 8.3 path.
TEST_F(RelaunchTest, AScriptPathWithBlanksIsHandedOverInItsShortForm) {
  files.AddDirectory("A:\\Setup Disk");
  files.AddFile("A:\\Setup Disk\\SETUP.EXE", Image(10));
  files.AddFile("A:\\Setup Disk\\SETUP.cfg", "INSERTDISK: \"Disk 2\"\nFILE: \"two.txt\"\n");
  contexts.push_back(std::make_unique<SetupContext>(Ports{&files, &machine, &process, &ui, nullptr, &profile}));
  machine.executablePath = "A:\\Setup Disk\\SETUP.EXE";
  EXPECT_FALSE(Startup(ctx(), "-a", machine.executablePath));
  std::string shortScript;
  ASSERT_TRUE(files.GetShortPathName("A:\\Setup Disk\\SETUP.cfg", &shortScript));
  ASSERT_EQ(shortScript.find(' '), std::string::npos);
  ASSERT_FALSE(process.started.empty());
  EXPECT_EQ(process.started.back().commandLine, "C:\\WINDOWS\\TEMP\\~0000.exe " + shortScript + " -a");
}

TEST_F(RelaunchTest, PathsWithBlanksAreQuoted) {
  files.AddDirectory("C:\\Local Settings\\Temp");
  files.SetTempDirectory("C:\\Local Settings\\Temp\\");
  files.AddFile("A:\\SETUP.EXE", Image(10));
  EXPECT_FALSE(Start("-a"));
  EXPECT_EQ(process.started.back().commandLine, "\"C:\\Local Settings\\Temp\\~0000.exe\" A:\\SETUP.cfg -a");
  // Unquoted, "del" would take each word for a file of its own.
  std::string batch = Contents("C:\\Local Settings\\Temp\\~0000.bat");
  EXPECT_NE(batch.find("\r\ndel \"C:\\Local Settings\\Temp\\~0000.exe\"\r\n"), std::string::npos) << batch;
  EXPECT_NE(batch.find("\r\nif not exist \"C:\\Local Settings\\Temp\\~0000.exe\" goto gone\r\n"), std::string::npos);
  EXPECT_NE(batch.find("\r\ndel \"C:\\Local Settings\\Temp\\~0000.pif\"\r\n"), std::string::npos);
  EXPECT_NE(batch.find("\r\ndel \"C:\\Local Settings\\Temp\\~0000.bat\"\r\n"), std::string::npos);
}

TEST_F(RelaunchTest, ACopyThatCannotBeMadeOrStartedLeavesTheNormalRun) {
  // The temporary directory does not exist: no copy can be made.
  files.SetTempDirectory("C:\\NOWHERE\\");
  files.AddFile("A:\\SETUP.EXE", Image(10));
  EXPECT_TRUE(Start(""));
  EXPECT_TRUE(ui.mainWindowShown);
  EXPECT_TRUE(process.started.empty());
  EXPECT_TRUE(ui.boxes.empty());
  // The payload is attached for the normal run.
  EXPECT_EQ(ctx().startup.executablePath, "A:\\SETUP.EXE");

  // The copy cannot be started: its files are removed again.
  files.SetTempDirectory("C:\\WINDOWS\\TEMP\\");
  files.AddFile("A:\\install.pif", "pif");
  ui = ScriptedUserInterface();
  process.hook = [](const std::string&) { return false; };
  EXPECT_TRUE(Start(""));
  EXPECT_TRUE(ui.mainWindowShown);
  EXPECT_EQ(process.started.size(), 1u);
  EXPECT_FALSE(files.Exists("C:\\WINDOWS\\TEMP\\~0000.exe"));
  EXPECT_FALSE(files.Exists("C:\\WINDOWS\\TEMP\\~0000.pif"));
  EXPECT_FALSE(files.Exists("C:\\WINDOWS\\TEMP\\~0000.bat"));
}

// Every file-system call of the relaunch fails in turn, once and from then
// on: the copy loop always ends, and the process either starts a complete
// copy, takes the normal run, or shows the batch file's message.
TEST_F(RelaunchTest, AFailureAtEachCallEndsCleanly) {
  std::string exe = ExecutableWithPayload("install.pif", "pif", Image(3 * 32768 + 100));
  files.AddFile("A:\\SETUP.EXE", exe);
  for (bool persistent : {false, true}) {
    for (int failAt = 1;; ++failAt) {
      SCOPED_TRACE(std::to_string(failAt) + (persistent ? " on" : " once"));
      for (const char* directory : {"C:\\", "C:\\WINDOWS\\TEMP\\"})
        for (const char* name : {"~0000.exe", "~0000.pif", "~0000.bat"})
          files.DeleteFile(std::string(directory) + name);
      process.started.clear();
      ui = ScriptedUserInterface();
      faulty.FailCall(failAt, persistent ? FaultFileSystem::Persistence::kFromThenOn
                                         : FaultFileSystem::Persistence::kOnce);
      bool loop = Start("", &faulty);
      int64_t calls = faulty.Calls();
      faulty.StopFailing();
      if (!process.started.empty()) {
        // Whatever was started is a complete copy (in the root when the
        // temporary directory could not be asked for).
        EXPECT_FALSE(loop);
        const std::string& command = process.started[0].commandLine;
        EXPECT_EQ(Contents(command.substr(0, command.find(' '))), exe);
      } else if (!loop) {
        // Stopped: either the script or the batch file could not be opened,
        // and the user was told which.
        ASSERT_EQ(ui.boxes.size(), 1u);
        EXPECT_EQ(ui.boxes[0].text.rfind("File not found on the installation disk: ", 0), 0u);
      } else {
        EXPECT_TRUE(ui.mainWindowShown);
        EXPECT_FALSE(files.Exists("C:\\WINDOWS\\TEMP\\~0000.exe") &&
                     Contents("C:\\WINDOWS\\TEMP\\~0000.exe") != exe);
      }
      if (failAt > calls) break;  // no call failed: every call has had its turn
    }
  }
}

// ---- exit ----------------------------------------------------------------------

TEST_F(StartupTest, TheTemporaryCopyStartsItsCleanUpAtExit) {
  files.AddFile("C:\\SETUP\\SETUP.cfg", "");
  files.AddFile("C:\\WINDOWS\\TEMP\\~0000.exe", "");
  files.AddFile("C:\\WINDOWS\\TEMP\\~0000.pif", "publisher's settings");
  ASSERT_TRUE(Run("C:\\SETUP\\SETUP.cfg", "C:\\WINDOWS\\TEMP\\~0000.exe"));
  ExitCleanup(ctx);
  EXPECT_EQ(ctx.script.model, nullptr);
  EXPECT_FALSE(ctx.archive.HasArchive());
  ASSERT_EQ(process.started.size(), 1u);
  EXPECT_EQ(process.started[0].commandLine, "C:\\WINDOWS\\TEMP\\~0000.pif /C C:\\WINDOWS\\TEMP\\~0000.bat");
  EXPECT_FALSE(process.started[0].waited);
  EXPECT_EQ(process.started[0].showState, kShowHide);
}

TEST_F(StartupTest, AFirstProcessLeavesNothingToCleanUp) {
  files.AddFile("C:\\SETUP\\SETUP.cfg", "");
  ASSERT_TRUE(Run(""));
  ExitCleanup(ctx);
  EXPECT_TRUE(process.started.empty());

  // Only the executable's own name marks the copy, not its directory.
  ctx.startup.executablePath = "C:\\~0000\\SETUP.EXE";
  EXPECT_EQ(CleanupCommandLine(ctx), "");
}

TEST_F(StartupTest, WithoutATemporaryDirectoryTheCleanUpUsesTheRoot) {
  files.SetTempDirectory("");
  ctx.startup.executablePath = "C:\\WINDOWS\\TEMP\\~0000.exe";
  EXPECT_EQ(TemporaryDirectory(ctx), "c:\\");
  EXPECT_EQ(CleanupCommandLine(ctx), "C:\\WINDOWS\\COMMAND.COM /C c:\\~0000.bat");
  files.AddFile("C:\\~0000.pif", "");
  EXPECT_EQ(CleanupCommandLine(ctx), "c:\\~0000.pif /C c:\\~0000.bat");
}

TEST_F(StartupTest, WithoutAProgramInformationFileTheCommandInterpreterRunsTheBatchFile) {
  ctx.startup.executablePath = "C:\\WINDOWS\\TEMP\\~0000.exe";
  ExitCleanup(ctx);
  ASSERT_EQ(process.started.size(), 1u);
  EXPECT_EQ(process.started[0].commandLine, "C:\\WINDOWS\\COMMAND.COM /C C:\\WINDOWS\\TEMP\\~0000.bat");
  EXPECT_EQ(process.started[0].showState, kShowHide);

  // Paths with blanks are quoted, so that no shorter program name is tried.
  machine.environment["COMSPEC"] = "C:\\Program Files\\Shell\\cmd.exe";
  files.AddDirectory("C:\\Temp Files");
  files.SetTempDirectory("C:\\Temp Files\\");
  EXPECT_EQ(CleanupCommandLine(ctx), "\"C:\\Program Files\\Shell\\cmd.exe\" /C \"C:\\Temp Files\\~0000.bat\"");

  files.AddFile("C:\\Temp Files\\~0000.pif", "");
  EXPECT_EQ(CleanupCommandLine(ctx), "\"C:\\Temp Files\\~0000.pif\" /C \"C:\\Temp Files\\~0000.bat\"");
  files.DeleteFile("C:\\Temp Files\\~0000.pif");

  // Without COMSPEC nothing can run it: nothing is started.
  machine.environment.clear();
  EXPECT_EQ(CleanupCommandLine(ctx), "");
  process.started.clear();
  ExitCleanup(ctx);
  EXPECT_TRUE(process.started.empty());
}

}  // namespace
}  // namespace quorril
