// Start-up against the in-memory machine: the command line, the start-up
// values, the road decision, the normal run and its failures, and the
// clean-up of the temporary copy at exit.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/memory/memory_file_system.h"
#include "platform/memory/memory_machine.h"
#include "shell/setup_context.h"
#include "shell/startup.h"

namespace quorril {
namespace {

class StartupTest : public ::testing::Test {
 protected:
  StartupTest() : ctx(Ports{&files, &machine, &process, &ui}) {
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
  SetupContext ctx;
};

// ---- the script path and the options ----------------------------------------

TEST_F(StartupTest, WithoutArgumentsTheScriptIsNamedAfterTheExecutable) {
  files.AddFile("C:\\SETUP\\SETUP.cfg", "");
  ASSERT_TRUE(Run(""));
  EXPECT_EQ(ctx.startup.executableDirectory, "C:\\SETUP\\");
  EXPECT_EQ(ctx.startup.executablePath, "C:\\SETUP\\SETUP.EXE");
  EXPECT_EQ(ctx.startup.scriptPath, "C:\\SETUP\\SETUP.cfg");
  EXPECT_EQ(ctx.variables.sourceDir, "C:\\SETUP");
  EXPECT_EQ(ctx.variables.sourceDir8, "C:\\SETUP");
  EXPECT_EQ(ctx.variables.sourceDrive, "C");
  EXPECT_EQ(files.GetCurrentDirectory(), "C:\\SETUP");
  EXPECT_EQ(ctx.variables.system, "");
  EXPECT_EQ(ctx.variables.sys2, "");
  EXPECT_EQ(ctx.variables.sys3, "");
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
  EXPECT_EQ(ctx.variables.system, "a");
  EXPECT_EQ(ctx.variables.sys2, "b");
  EXPECT_EQ(ctx.variables.sys3, "c");
  EXPECT_EQ(ctx.startup.scriptPath, "C:\\SETUP\\SETUP.cfg");
}

TEST_F(StartupTest, TokensAfterTheThirdOptionAreNotLookedAt) {
  files.AddFile("C:\\SETUP\\SETUP.cfg", "");
  ASSERT_TRUE(Run("\t-x\n-y  -z OTHER.CFG"));
  EXPECT_EQ(ctx.variables.system, "x");
  EXPECT_EQ(ctx.variables.sys2, "y");
  EXPECT_EQ(ctx.variables.sys3, "z");
  EXPECT_EQ(ctx.startup.scriptPath, "C:\\SETUP\\SETUP.cfg");
}

TEST_F(StartupTest, ABareScriptNameIsTakenFromTheExecutableDirectory) {
  files.AddFile("C:\\SETUP\\MY.CFG", "");
  ASSERT_TRUE(Run("-a MY.CFG"));
  EXPECT_EQ(ctx.variables.system, "a");
  EXPECT_EQ(ctx.variables.sys2, "");
  EXPECT_EQ(ctx.startup.scriptPath, "C:\\SETUP\\MY.CFG");
}

TEST_F(StartupTest, AFullScriptPathIsUsedUnchanged) {
  files.AddDrive('D', DriveType::kFixed);
  files.AddDirectory("D:\\PKG");
  files.AddFile("D:\\PKG\\SETUP.CFG", "");
  ASSERT_TRUE(Run("D:\\PKG\\SETUP.CFG"));
  EXPECT_EQ(ctx.startup.scriptPath, "D:\\PKG\\SETUP.CFG");
  EXPECT_EQ(ctx.variables.sourceDir, "D:\\PKG");
  EXPECT_EQ(ctx.variables.sourceDrive, "D");
  // The executable directory stays the current directory.
  EXPECT_EQ(files.GetCurrentDirectory(), "C:\\SETUP");
}

TEST_F(StartupTest, AScriptPathWithoutBackslashGivesAnEmptySourceDirectory) {
  files.AddFile("C:\\SETUP\\MY.CFG", "");
  ASSERT_TRUE(Run("C:MY.CFG"));
  EXPECT_EQ(ctx.startup.scriptPath, "C:MY.CFG");
  EXPECT_EQ(ctx.variables.sourceDir, "");
  EXPECT_EQ(ctx.variables.sourceDrive, "C");
  EXPECT_EQ(CutAtLastBackslash("SETUP.CFG"), "");
  EXPECT_EQ(CutAtLastBackslash("A:\\SETUP.CFG"), "A:");
}

TEST_F(StartupTest, TheShortSourceDirectoryComesFromTheShortScriptPath) {
  files.AddDirectory("C:\\Program Files\\Long Setup");
  files.AddFile("C:\\Program Files\\Long Setup\\Long Script.cfg", "");
  ASSERT_TRUE(Run("-q", "C:\\Program Files\\Long Setup\\Long Script.exe"));
  EXPECT_EQ(ctx.startup.scriptPath, "C:\\Program Files\\Long Setup\\Long Script.cfg");
  EXPECT_EQ(ctx.variables.sourceDir, "C:\\Program Files\\Long Setup");
  std::string shortPath;
  ASSERT_TRUE(files.GetShortPathName("C:\\Program Files\\Long Setup\\Long Script.cfg", &shortPath));
  EXPECT_EQ(ctx.startup.shortScriptPath, shortPath);
  EXPECT_EQ(ctx.variables.sourceDir8, CutAtLastBackslash(shortPath));
  EXPECT_NE(ctx.variables.sourceDir8, ctx.variables.sourceDir);
}

TEST_F(StartupTest, OverlongOptionsAreCutToTheirCapacity) {
  files.AddFile("C:\\SETUP\\SETUP.cfg", "");
  ASSERT_TRUE(Run("-" + std::string(600, 'o')));
  EXPECT_EQ(ctx.variables.system, std::string(503, 'o'));
}

// ---- the embedded archive ----------------------------------------------------

void PutLe32(std::string* s, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) (*s)[at + i] = char((v >> (8 * i)) & 0xFF);
}

// An executable image followed by an archive with one member.
std::string ExecutableWithPayload(const std::string& name, const std::string& data) {
  std::string exe = "MZ executable image";
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
  EXPECT_EQ(ctx.variables.sourceDir8, "C:\\SETUP");
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

TEST_F(RoadTest, AProcessThatShouldRelaunchStillRunsNormally) {
  files.AddFile("A:\\SETUP.cfg", "INSERTDISK: \"Disk 2\"\n");
  ASSERT_TRUE(Run("", "A:\\SETUP.EXE"));
  EXPECT_EQ(DecideRoad(ctx), Road::kRelaunch);
  EXPECT_TRUE(ui.mainWindowShown);
  EXPECT_EQ(files.GetCurrentDirectory(), "A:\\");
  EXPECT_EQ(ctx.startup.executableDirectory, "A:\\");
  EXPECT_EQ(ctx.variables.sourceDir, "A:");
  EXPECT_EQ(ctx.variables.sourceDrive, "A");
}

// ---- the normal run ------------------------------------------------------------

TEST_F(StartupTest, TheNormalRunShowsTheMaximizedWindowAndPostsThePhase) {
  machine.display.width = 1024;
  machine.display.height = 768;
  files.AddFile("C:\\SETUP\\SETUP.cfg", "REM nothing to do\n");
  ASSERT_TRUE(Run(""));
  EXPECT_EQ(ctx.startup.screenWidth, 1024);
  EXPECT_EQ(ctx.startup.screenHeight, 768);
  ASSERT_NE(ctx.script, nullptr);
  EXPECT_TRUE(ui.mainWindowCreated);
  EXPECT_TRUE(ui.mainWindowShown);
  EXPECT_EQ(ui.mainWindowTitle, "Quorril");
  EXPECT_TRUE(ui.installPhasePosted);
  EXPECT_TRUE(ctx.startup.ownerWindowSet);
  EXPECT_TRUE(ui.boxes.empty());
  EXPECT_TRUE(process.started.empty());
  EXPECT_EQ(ctx.variables.winDir, "C:\\WINDOWS");
  EXPECT_EQ(ctx.variables.winHelpDir, "C:\\WINDOWS\\help");
  EXPECT_EQ(ctx.variables.winSysDir, "C:\\WINDOWS\\SYSTEM");

  // Message 1025 is handed to the events and leaves the window as it is.
  InstallPhaseEvents events(ctx);
  ui.RunMessageLoop(&events);
  EXPECT_EQ(ui.log.back(), "install-phase");
  EXPECT_FALSE(ui.quitRequested);
}

TEST_F(StartupTest, ARootWindowsDirectoryLosesItsBackslash) {
  machine.windowsDirectory = "C:\\";
  machine.systemDirectory = "C:\\SYSTEM\\";
  files.AddFile("C:\\SETUP\\SETUP.cfg", "");
  ASSERT_TRUE(Run(""));
  EXPECT_EQ(ctx.variables.winDir, "C:");
  EXPECT_EQ(ctx.variables.winHelpDir, "C:\\help");
  EXPECT_EQ(ctx.variables.winSysDir, "C:\\SYSTEM");
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
  EXPECT_EQ(ctx.script, nullptr);
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

// ---- exit ----------------------------------------------------------------------

TEST_F(StartupTest, TheTemporaryCopyStartsItsCleanUpAtExit) {
  files.AddFile("C:\\SETUP\\SETUP.cfg", "");
  files.AddFile("C:\\WINDOWS\\TEMP\\~0000.exe", "");
  ASSERT_TRUE(Run("C:\\SETUP\\SETUP.cfg", "C:\\WINDOWS\\TEMP\\~0000.exe"));
  ExitCleanup(ctx);
  EXPECT_EQ(ctx.script, nullptr);
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
  EXPECT_EQ(CleanupCommandLine(ctx), "c:\\~0000.pif /C c:\\~0000.bat");
}

}  // namespace
}  // namespace quorril
