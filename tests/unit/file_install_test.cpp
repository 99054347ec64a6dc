// File installation against the in-memory machine: destinations (relative,
// absolute, variable, roots), source paths, the file loop with wildcards
// and the embedded archive, files that are missing before and after an
// INSERTDISK entry, outside decompressors, the four overwrite policies with
// version texts and DOS dates, the block copy with its progress, dates,
// attributes and failures, containers and split containers, cancel, and
// the journal in order.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "journal/journal.h"
#include "package/container.h"
#include "package/file_install.h"
#include "package/implode.h"
#include "package/virtual_file.h"
#include "platform/little_endian.h"
#include "platform/memory/fault_file_system.h"
#include "platform/memory/memory_file_system.h"
#include "platform/memory/memory_machine.h"
#include "support/test_data.h"
#include "unit/container_test_support.h"
#include "unit/copy_test_support.h"

namespace quorril {
namespace {

using testing::Member;
using testing::Noise;
using testing::RecordingCopyHost;

// ---- building inputs -----------------------------------------------------------------

std::string Le32(uint32_t v) { return std::string{char(v), char(v >> 8), char(v >> 16), char(v >> 24)}; }


struct PayloadFile {
  std::string name;
  std::string data;
  uint16_t date;
  uint16_t time;
};

// An executable with an embedded archive holding `payload`.
std::string PackageWith(const std::vector<PayloadFile>& payload) {
  std::string exe = std::string(100, 'M') + std::string("[Zemko]\0", 8);
  const uint32_t first = uint32_t(exe.size());
  uint32_t last = first;
  for (size_t i = 0; i < payload.size(); ++i) {
    const PayloadFile& f = payload[i];
    last = uint32_t(exe.size());
    uint32_t next = i + 1 < payload.size() ? last + 276 + uint32_t(f.data.size()) : 0;
    std::string header = Le32(next) + Le32(0x20) + Le32(f.time) + Le32(f.date) + Le32(uint32_t(f.data.size()));
    header += f.name;
    header.resize(276, '\0');
    exe += header + f.data;
  }
  return exe + std::string("[Zemko]\0", 8) + Le32(first) + Le32(last);
}

// ---- the machine ------------------------------------------------------------------------

class FileInstallTest : public ::testing::Test {
 protected:
  FileInstallTest() {
    files.AddDirectory("C:\\SRC");
    files.AddDirectory("C:\\APP");
    files.AddDirectory("C:\\WINDOWS\\SYSTEM");
    files.SetCurrentDirectory("C:\\WINDOWS");
    variables.sourceDir = "C:\\SRC";
    variables.defaultDir = "C:\\APP";
    variables.winDir = "C:\\WINDOWS";
    variables.winSysDir = "C:\\WINDOWS\\SYSTEM";
    journal.on = true;
    journal.path = "C:\\APP\\install.log";
  }

  // What the commands work with, as the run hands it over.
  FileInstallContext Context() {
    return FileInstallContext{CopyContext{disk, archive, journal, host, continuationName}, machine, process, variables,
                              compressionTool};
  }

  static FileEntry Entry(const std::string& name, OverwritePolicy policy = OverwritePolicy::kYes,
                         uint32_t attributes = kAttrNormal) {
    FileEntry e;
    e.name = name;
    e.overwrite = policy;
    e.attributes = attributes;
    return e;
  }
  int Install(const std::string& name, OverwritePolicy policy = OverwritePolicy::kYes,
              uint32_t attributes = kAttrNormal) {
    FileEntry e = Entry(name, policy, attributes);
    return InstallFileEntry(Context(), e);
  }
  int Copy(const std::string& target, const std::string& source, OverwritePolicy policy,
           uint32_t attributes = kAttrNormal) {
    return InstallOneFile(Context(), target, source, policy, attributes);
  }
  void Put(const std::vector<ContainerVolume>& volumes, const std::string& directory = "C:\\SRC\\") {
    for (const ContainerVolume& v : volumes) files.AddFile(directory + v.name, v.bytes);
  }
  std::string Content(const std::string& path) {
    std::string s;
    return files.ReadWholeFile(path, &s) ? s : "<none>";
  }
  std::string Journal() { return Content("C:\\APP\\install.log"); }
  std::vector<std::string> Messages() {
    std::vector<std::string> out;
    for (const MessageBoxRequest& b : ui.boxes) out.push_back(b.text);
    return out;
  }
  DosDateTime Date(const std::string& path) {
    DosDateTime when;
    EXPECT_TRUE(files.GetModified(path, &when)) << path;
    return when;
  }
  // The copy layer's error box: owned, default caption, exclamation icon.
  void ExpectCopyError(const std::string& text) {
    ASSERT_EQ(Messages(), std::vector<std::string>{text});
    EXPECT_FALSE(ui.boxes[0].caption.has_value());
    EXPECT_EQ(ui.boxes[0].style, uint32_t(kMbOk | kMbIconWarning));
    EXPECT_TRUE(ui.boxes[0].owned);
  }
  // The missing-file box: caption " ", warning icon.
  void ExpectNotFound(const std::string& path) {
    ASSERT_EQ(Messages(), std::vector<std::string>{"File not found on the installation disk: " + path + ". "});
    EXPECT_EQ(ui.boxes[0].caption, std::optional<std::string>(" "));
    EXPECT_EQ(ui.boxes[0].style, uint32_t(kMbOk | kMbIconWarning));
    EXPECT_TRUE(ui.boxes[0].owned);
  }

  MemoryFileSystem files;
  FaultFileSystem disk{files};
  VirtualFileSystem archive{&disk};
  MemoryMachine machine;
  MemoryProcess process;
  ScriptVariables variables;
  CompressionTool compressionTool = CompressionTool::kPkware;
  quorril::Journal journal;
  std::string continuationName;
  ScriptedUserInterface ui;
  RecordingCopyHost host{ui};
};

// ---- destinations ---------------------------------------------------------------------

TEST_F(FileInstallTest, ADirectoryPartInstallsTheSourceFileBelowTheDestination) {
  files.AddFile("C:\\SRC\\X.DLL", "x from the source directory", kAttrArchive, {0x3021, 0x0100});
  files.AddFile("C:\\SRC\\SUB\\X.DLL", "decoy: the source is looked up without the directory part");
  FileEntry entry = Entry("SUB\\X.DLL");
  EXPECT_EQ(InstallFileEntry(Context(), entry), kFileEntryDone);
  EXPECT_EQ(Content("C:\\APP\\SUB\\X.DLL"), "x from the source directory");
  EXPECT_EQ(Journal(), "DIRECTORY: \"C:\\APP\\SUB\"\r\n\r\nFILE: \"C:\\APP\\SUB\\X.DLL\"\r\n");
  EXPECT_EQ(files.GetCurrentDirectory(), "C:\\APP");  // $DEFAULTDIR$ is made current
  EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(FileInstallTest, AVariableOrAbsoluteDirectoryIsTheDestinationItself) {
  files.AddFile("C:\\SRC\\X.DLL", "x");
  files.AddFile("C:\\SRC\\A.TXT", "a");
  FileEntry entry = Entry("$WINSYSDIR$\\X.DLL");
  EXPECT_EQ(InstallFileEntry(Context(), entry), kFileEntryDone);
  EXPECT_EQ(entry.name, "C:\\WINDOWS\\SYSTEM\\X.DLL");  // the expansion is kept
  EXPECT_EQ(Content("C:\\WINDOWS\\SYSTEM\\X.DLL"), "x");

  // Missing levels are created and journalled, parents first.
  EXPECT_EQ(Install("C:\\NEW\\DEEP\\A.TXT"), kFileEntryDone);
  EXPECT_EQ(Content("C:\\NEW\\DEEP\\A.TXT"), "a");
  // A lone backslash and a drive root are kept as they are.
  EXPECT_EQ(Install("\\X.DLL"), kFileEntryDone);
  EXPECT_EQ(Content("C:\\X.DLL"), "x");
  EXPECT_EQ(Install("C:\\A.TXT"), kFileEntryDone);
  EXPECT_EQ(Content("C:\\A.TXT"), "a");
  EXPECT_EQ(Journal(),
            "FILE: \"C:\\WINDOWS\\SYSTEM\\X.DLL\"\r\n"
            "DIRECTORY: \"C:\\NEW\"\r\nDIRECTORY: \"C:\\NEW\\DEEP\"\r\n\r\n"
            "FILE: \"C:\\NEW\\DEEP\\A.TXT\"\r\n"
            "FILE: \"\\X.DLL\"\r\n"
            "FILE: \"C:\\A.TXT\"\r\n");
}

TEST_F(FileInstallTest, ARelativeDirectoryBelowARootDestinationGetsOneBackslash) {
  files.AddFile("C:\\SRC\\A.TXT", "a");
  variables.defaultDir = "D:\\";
  files.AddDrive('D', DriveType::kFixed);
  journal.path = "D:\\install.log";
  EXPECT_EQ(Install("SUB\\A.TXT"), kFileEntryDone);
  EXPECT_EQ(Content("D:\\SUB\\A.TXT"), "a");
  EXPECT_EQ(Content("D:\\install.log"), "DIRECTORY: \"D:\\SUB\"\r\n\r\nFILE: \"D:\\SUB\\A.TXT\"\r\n");
}

TEST_F(FileInstallTest, ADestinationThatCannotBeCreatedStops) {
  files.AddFile("C:\\SRC\\A.TXT", "a");
  files.AddFile("C:\\APP\\SUB", "a file where the directory should be");
  EXPECT_EQ(Install("SUB\\A.TXT"), kFileEntryStop);
  ASSERT_EQ(Messages(), std::vector<std::string>{"Invalid directory."});
  EXPECT_EQ(Content("C:\\APP\\SUB"), "a file where the directory should be");
  EXPECT_EQ(Journal(), "<none>");
}

TEST_F(FileInstallTest, ANameEndingInABackslashOnlyCreatesTheDirectory) {
  EXPECT_EQ(Install("EMPTY\\"), kFileEntryDone);
  EXPECT_TRUE(files.Exists("C:\\APP\\EMPTY"));
  EXPECT_TRUE(ui.boxes.empty());
  EXPECT_EQ(host.pumps, 0);
}

// ---- source paths -------------------------------------------------------------------------

TEST_F(FileInstallTest, TheSourcePathFollowsTheKindOfTheSourceDirectory) {
  struct Case {
    const char* sourceDir;
    const char* given;  // null: no SOURCE=
    SourceKind kind;
    const char* expected;
  };
  const SourceKind below = SourceKind::kBelowSource, root = SourceKind::kSourceRoot, given = SourceKind::kAsGiven;
  for (const Case& c : {Case{"C:\\SRC", nullptr, below, "C:\\SRC\\X.DLL"}, Case{"A:\\", nullptr, below, "A:\\X.DLL"},
                        Case{"C:\\SRC", "\\DISK1", below, "C:\\SRC\\DISK1\\X.DLL"},
                        Case{"D:\\SETUP", "\\COMMON", root, "D:\\COMMON\\X.DLL"},
                        Case{"C:\\SRC", "E:\\CD\\FILES", given, "E:\\CD\\FILES\\X.DLL"},
                        Case{"C:\\SRC", "E:", given, "E:\\X.DLL"},
                        Case{"C:\\SRC", "$WINDIR$\\CACHE", given, "C:\\WINDOWS\\CACHE\\X.DLL"}}) {
    SCOPED_TRACE(c.expected);
    variables.sourceDir = c.sourceDir;
    FileEntry entry = Entry("X.DLL");
    if (c.given) {
      entry.sourceGiven = true;
      entry.sourceDirectory = c.given;
      entry.sourceKind = c.kind;
    }
    EXPECT_EQ(SourcePath(variables, entry, "X.DLL"), c.expected);
  }
}

TEST_F(FileInstallTest, AFileIsTakenFromItsSourceDirectory) {
  files.AddFile("C:\\SRC\\DISK2\\X.DLL", "from disk 2");
  FileEntry entry = Entry("X.DLL");
  entry.sourceGiven = true;
  entry.sourceDirectory = "\\DISK2";
  entry.sourceKind = SourceKind::kBelowSource;
  EXPECT_EQ(InstallFileEntry(Context(), entry), kFileEntryDone);
  EXPECT_EQ(Content("C:\\APP\\X.DLL"), "from disk 2");
}

// ---- the file loop --------------------------------------------------------------------

TEST_F(FileInstallTest, AWildcardInstallsEveryMatchingFileAndPassesOverDirectories) {
  files.AddFile("C:\\SRC\\B.HLP", "b");
  files.AddFile("C:\\SRC\\A.HLP", "a");
  files.AddFile("C:\\SRC\\C.TXT", "c");
  files.AddDirectory("C:\\SRC\\MORE.HLP");
  files.AddFile("C:\\SRC\\MORE.HLP\\D.HLP", "d");
  EXPECT_EQ(Install("*.HLP"), kFileEntryDone);
  EXPECT_EQ(Content("C:\\APP\\A.HLP"), "a");
  EXPECT_EQ(Content("C:\\APP\\B.HLP"), "b");
  EXPECT_FALSE(files.Exists("C:\\APP\\C.TXT"));
  EXPECT_FALSE(files.Exists("C:\\APP\\MORE.HLP"));
  EXPECT_FALSE(files.Exists("C:\\APP\\D.HLP"));
  EXPECT_EQ(Journal(), "FILE: \"C:\\APP\\A.HLP\"\r\nFILE: \"C:\\APP\\B.HLP\"\r\n");
  // Per file: its name, a redraw, the pump; the directory is only pumped.
  EXPECT_EQ(host.events,
            (std::vector<std::string>{"file:C:\\APP\\A.HLP", "progress:0", "pump", "file:C:\\APP\\B.HLP", "progress:0",
                                      "pump", "pump"}));
  EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(FileInstallTest, AFileComesFromTheEmbeddedArchiveBeforeTheDisk) {
  files.AddFile("C:\\SETUP\\SETUP.EXE",
                PackageWith({{"README.TXT", "from the payload", 0x2C41, 0x5000}, {"OTHER.TXT", "other", 0, 0}}));
  archive.AttachArchive("C:\\SETUP\\SETUP.EXE");
  files.AddFile("C:\\SRC\\OTHER.TXT", "from the disk");
  EXPECT_EQ(Install("README.TXT"), kFileEntryDone);
  EXPECT_EQ(Content("C:\\APP\\README.TXT"), "from the payload");
  EXPECT_EQ(Date("C:\\APP\\README.TXT").date, 0x2C41);
  EXPECT_EQ(Date("C:\\APP\\README.TXT").time, 0x5000);
  EXPECT_EQ(Install("OTHER.TXT"), kFileEntryDone);
  EXPECT_EQ(Content("C:\\APP\\OTHER.TXT"), "other");
}

TEST_F(FileInstallTest, AFileReadAsAContinuationVolumeIsSkipped) {
  files.AddFile("C:\\SRC\\DATA.002", "the second volume");
  continuationName = "DATA.002";
  EXPECT_EQ(Install("data.002"), kFileEntryDone);
  EXPECT_EQ(Install("$DEFAULTDIR$\\Data.002"), kFileEntryDone);
  EXPECT_FALSE(files.Exists("C:\\APP\\DATA.002"));
  EXPECT_TRUE(ui.boxes.empty());
  EXPECT_TRUE(host.events.empty());
  EXPECT_EQ(Journal(), "<none>");
}

// ---- missing files ---------------------------------------------------------------------

TEST_F(FileInstallTest, AMissingFileBeforeAnyDiskEntryStopsWithAMessage) {
  EXPECT_EQ(Install("MISSING.DLL"), kFileEntryStop);
  ExpectNotFound("C:\\SRC\\MISSING.DLL");
  EXPECT_EQ(host.Count("disk:01"), 0);

  ui.boxes.clear();
  EXPECT_EQ(Install("*.HLP"), kFileEntryStop);
  ExpectNotFound("C:\\SRC\\*.HLP");
}

TEST_F(FileInstallTest, AMissingFileAfterADiskEntryAsksForTheNextDiskAndLooksAgain) {
  host.diskReached = true;
  int asked = 0;
  host.nextDisk = [&](bool) {
    // The first time the wrong disk is inserted; the second time the right one.
    if (++asked == 2) files.AddFile("C:\\SRC\\DISK2.DLL", "disk 2");
    return 0;
  };
  EXPECT_EQ(Install("DISK2.DLL"), kFileEntryDone);
  EXPECT_EQ(Content("C:\\APP\\DISK2.DLL"), "disk 2");
  EXPECT_EQ(host.Count("disk:01"), 2);  // no advance; the cursor is restored
  EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(FileInstallTest, QuittingAtTheNextDiskQuestionStopsWithoutAMessage) {
  host.diskReached = true;
  host.nextDisk = [](bool) { return 1; };
  EXPECT_EQ(Install("DISK3.DLL"), kFileEntryStop);
  EXPECT_EQ(host.events, std::vector<std::string>{"disk:01"});
  EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(FileInstallTest, ASourcePathLongerThan999CharactersIsReportedAsNotFound) {
  host.diskReached = true;  // asking for another disk would not help
  FileEntry entry = Entry("X.DLL");
  entry.sourceGiven = true;
  entry.sourceKind = SourceKind::kAsGiven;
  entry.sourceDirectory = "C:\\" + std::string(995, 'D');
  EXPECT_EQ(InstallFileEntry(Context(), entry), kFileEntryStop);
  ExpectNotFound(entry.sourceDirectory + "\\X.DLL");
  EXPECT_EQ(host.Count("disk:01"), 0);

  // 999 characters are still looked up.
  ui.boxes.clear();
  host.diskReached = false;
  entry.sourceDirectory = "C:\\" + std::string(990, 'D');
  EXPECT_EQ(SourcePath(variables, entry, "X.DLL").size(), 999u);
  EXPECT_EQ(InstallFileEntry(Context(), entry), kFileEntryStop);
  ExpectNotFound(entry.sourceDirectory + "\\X.DLL");
}

// ---- outside decompressors --------------------------------------------------------------

TEST_F(FileInstallTest, ACompressedFileIsExpandedByTheOutsideTool) {
  files.AddFile("C:\\SRC\\DATA.ZIP", "PK...");
  files.AddFile("C:\\SRC\\MORE.ZIP", "PK...");
  EXPECT_EQ(Install("*.ZIP"), kFileEntryDone);  // plain: copied
  process.started.clear();
  files.DeleteFile("C:\\APP\\install.log");

  FileEntry entry = Entry("DATA.ZIP", OverwritePolicy::kYes);
  entry.compression = Compression::kCompressed;
  host.events.clear();
  EXPECT_EQ(InstallFileEntry(Context(), entry), kFileEntryDone);
  ASSERT_EQ(process.started.size(), 1u);
  EXPECT_EQ(process.started[0].commandLine, "dosshell.pif /C pkunzip C:\\SRC\\DATA.ZIP -d -o C:\\APP\\");
  EXPECT_TRUE(process.started[0].waited);
  EXPECT_EQ(host.events, (std::vector<std::string>{"progress:0", "pump"}));
  EXPECT_EQ(Journal(), "<none>");  // the tool's files are not known

  // One run per match of a wildcard; the tool's failure is not examined.
  process.started.clear();
  process.hook = [](const std::string&) { return false; };
  entry = Entry("SUB\\*.ZIP", OverwritePolicy::kNew);
  entry.compression = Compression::kSelfExtract;
  EXPECT_EQ(InstallFileEntry(Context(), entry), kFileEntryDone);
  ASSERT_EQ(process.started.size(), 2u);
  EXPECT_EQ(process.started[0].commandLine, "dosshell.pif /C C:\\SRC\\DATA.ZIP -d -n C:\\APP\\SUB\\");
  EXPECT_EQ(process.started[1].commandLine, "dosshell.pif /C C:\\SRC\\MORE.ZIP -d -n C:\\APP\\SUB\\");
  EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(FileInstallTest, TheCommandLinesOfTheOutsideTools) {
  struct Case {
    CompressionTool tool;
    Compression compression;
    OverwritePolicy policy;
    const char* expected;
  };
  const std::string s = "A:\\D.ARC", d = "C:\\APP";
  for (const Case& c : {
           Case{CompressionTool::kPkware, Compression::kCompressed, OverwritePolicy::kYes,
                "dosshell.pif /C pkunzip A:\\D.ARC -d -o C:\\APP\\"},
           Case{CompressionTool::kPkware, Compression::kCompressed, OverwritePolicy::kNew,
                "dosshell.pif /C pkunzip A:\\D.ARC -d -n C:\\APP\\"},
           Case{CompressionTool::kPkware, Compression::kCompressed, OverwritePolicy::kNo,
                "dosshell.pif /C pkunzip A:\\D.ARC -d C:\\APP\\"},
           Case{CompressionTool::kPkware, Compression::kCompressed, OverwritePolicy::kAsk,
                "dosshell.pif /C pkunzip A:\\D.ARC -d C:\\APP\\"},
           Case{CompressionTool::kPkware, Compression::kSelfExtract, OverwritePolicy::kYes,
                "dosshell.pif /C A:\\D.ARC -d -o C:\\APP\\"},
           Case{CompressionTool::kLha, Compression::kCompressed, OverwritePolicy::kYes,
                "dosshell.pif /C lha x /c1 A:\\D.ARC C:\\APP\\"},
           Case{CompressionTool::kLha, Compression::kCompressed, OverwritePolicy::kNew,
                "dosshell.pif /C lha x A:\\D.ARC C:\\APP\\"},
           Case{CompressionTool::kLha, Compression::kSelfExtract, OverwritePolicy::kYes,
                "dosshell.pif /C A:\\D.ARC C:\\APP\\"},
       }) {
    SCOPED_TRACE(c.expected);
    EXPECT_EQ(DecompressorCommandLine(c.tool, c.compression, c.policy, s, d), c.expected);
  }
}

TEST_F(FileInstallTest, TheScriptsCompressionSettingChoosesTheTool) {
  files.AddFile("C:\\SRC\\DATA.LZH", "-lh5-");
  compressionTool = CompressionTool::kLha;
  FileEntry entry = Entry("DATA.LZH", OverwritePolicy::kYes);
  entry.compression = Compression::kCompressed;
  EXPECT_EQ(InstallFileEntry(Context(), entry), kFileEntryDone);
  ASSERT_EQ(process.started.size(), 1u);
  EXPECT_EQ(process.started[0].commandLine, "dosshell.pif /C lha x /c1 C:\\SRC\\DATA.LZH C:\\APP\\");
}

// ---- overwrite policies -------------------------------------------------------------------

struct PolicyCase {
  const char* what;
  OverwritePolicy policy;
  uint16_t targetDate, targetTime;
  uint32_t targetAttributes;
  int answer;  // to the ASK question, 0 when none is expected
  bool replaced;
};

class OverwritePolicyTest : public FileInstallTest, public ::testing::WithParamInterface<PolicyCase> {};

TEST_P(OverwritePolicyTest, AnExistingTargetIsKeptOrReplacedAsThePolicySays) {
  const PolicyCase& c = GetParam();
  // The source is dated 0x5000 / 0x4000.
  files.AddFile("C:\\SRC\\A.TXT", "new contents", kAttrArchive, {0x5000, 0x4000});
  files.AddFile("C:\\APP\\A.TXT", "old", c.targetAttributes, {c.targetDate, c.targetTime});
  host.counters.totalBytes = 1000000;
  if (c.answer) ui.answers.push_back(c.answer);

  EXPECT_EQ(Install("A.TXT", c.policy, kAttrArchive), kFileEntryDone);
  EXPECT_EQ(Content("C:\\APP\\A.TXT"), c.replaced ? "new contents" : "old");
  EXPECT_EQ(Date("C:\\APP\\A.TXT").date, c.replaced ? 0x5000 : c.targetDate);
  EXPECT_EQ(files.GetAttributes("C:\\APP\\A.TXT"), c.replaced ? uint32_t(kAttrArchive) : c.targetAttributes);
  EXPECT_EQ(Journal(), c.replaced ? "FILE: \"C:\\APP\\A.TXT\"\r\n" : "<none>");
  // Kept or written, the bar advances by the source's size.
  EXPECT_EQ(host.counters.bytesDone, 12);
  if (c.answer) {
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text, "File exists.  Overwrite C:\\APP\\A.TXT?");
    EXPECT_EQ(ui.boxes[0].caption, std::optional<std::string>(""));
    EXPECT_EQ(ui.boxes[0].style, uint32_t(kMbYesNo | kMbIconQuestion));
  } else {
    EXPECT_TRUE(ui.boxes.empty());
  }
  if (!c.replaced) {
    // Kept: a redraw for the kept size, the file loop's redraw, the pump.
    EXPECT_EQ(host.events, (std::vector<std::string>{"progress:0", "progress:0", "pump"}));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Policies, OverwritePolicyTest,
    ::testing::Values(
        PolicyCase{"NO keeps", OverwritePolicy::kNo, 0x1000, 0, kAttrArchive, 0, false},
        PolicyCase{"YES replaces a read-only file", OverwritePolicy::kYes, 0x6000, 0, kAttrReadOnly, 0, true},
        PolicyCase{"ASK answered Yes replaces a read-only file", OverwritePolicy::kAsk, 0x1000, 0, kAttrReadOnly,
                   kIdYes, true},
        PolicyCase{"ASK answered No keeps", OverwritePolicy::kAsk, 0x1000, 0, kAttrArchive, kIdNo, false},
        PolicyCase{"NEW replaces an older date", OverwritePolicy::kNew, 0x4FFF, 0xFFFF, kAttrArchive, 0, true},
        PolicyCase{"NEW replaces an older read-only file", OverwritePolicy::kNew, 0x4FFF, 0, kAttrReadOnly, 0, true},
        PolicyCase{"NEW replaces the same date at an earlier time", OverwritePolicy::kNew, 0x5000, 0x3FFF, kAttrArchive,
                   0, true},
        PolicyCase{"NEW keeps the same date and time", OverwritePolicy::kNew, 0x5000, 0x4000, kAttrArchive, 0, false},
        PolicyCase{"NEW keeps a later time", OverwritePolicy::kNew, 0x5000, 0x4001, kAttrArchive, 0, false},
        PolicyCase{"NEW keeps a later date", OverwritePolicy::kNew, 0x5001, 0x0000, kAttrArchive, 0, false}),
    [](const ::testing::TestParamInfo<PolicyCase>& info) {
      std::string name;
      for (const char* p = info.param.what; *p; ++p)
        if (std::isalnum(static_cast<unsigned char>(*p))) name += *p;
      return name;
    });

TEST_F(FileInstallTest, APolicyOtherThanYesWritesATargetThatDoesNotExist) {
  files.AddFile("C:\\SRC\\A.TXT", "a");
  for (OverwritePolicy p : {OverwritePolicy::kNo, OverwritePolicy::kAsk, OverwritePolicy::kNew}) {
    files.DeleteFile("C:\\APP\\A.TXT");
    EXPECT_EQ(Install("A.TXT", p), kFileEntryDone);
    EXPECT_EQ(Content("C:\\APP\\A.TXT"), "a");
  }
  EXPECT_TRUE(ui.boxes.empty());
}

struct VersionCase {
  const char* what;
  const char* source;  // file name in C:\SRC or C:\SRC.V2 and in C:\APP
  const char* sourceVersion;  // null: none
  const char* targetVersion;
  uint16_t sourceDate, targetDate;
  bool replaced;
};

class ComponentVersionPolicyTest : public FileInstallTest, public ::testing::WithParamInterface<VersionCase> {};

TEST_P(ComponentVersionPolicyTest, NewComparesTheVersionTextsOfComponentsBeforeTheDates) {
  const VersionCase& c = GetParam();
  const std::string source = std::string(c.source);
  const std::string name = source.substr(source.find_last_of('\\') + 1);
  files.AddFile(source, "new", kAttrArchive, {c.sourceDate, 0});
  files.AddFile("C:\\APP\\" + name, "old", kAttrArchive, {c.targetDate, 0});
  if (c.sourceVersion) machine.fileVersions[AsciiUpperCopy(source)] = c.sourceVersion;
  if (c.targetVersion) machine.fileVersions[AsciiUpperCopy("C:\\APP\\" + name)] = c.targetVersion;
  EXPECT_EQ(Copy("C:\\APP\\" + name, source, OverwritePolicy::kNew), kCopyDone);
  EXPECT_EQ(Content("C:\\APP\\" + name), c.replaced ? "new" : "old");
}

INSTANTIATE_TEST_SUITE_P(
    Versions, ComponentVersionPolicyTest,
    ::testing::Values(
        // Texts, not numbers: 4.00.950 orders after 4.00.1111.
        VersionCase{"TextOrderReplacesAnOlderDatedNumericallyNewerFile", "C:\\SRC\\X.DLL", "4.00.950", "4.00.1111",
                    0x1000, 0x5000, true},
        VersionCase{"ALowerVersionKeepsDespiteALaterDate", "C:\\SRC\\X.OCX", "4.00.1111", "4.00.950", 0x5000, 0x1000,
                    false},
        VersionCase{"EqualVersionsLeaveItToTheDates", "C:\\SRC\\X.VBX", "1.0", "1.0", 0x5000, 0x1000, true},
        VersionCase{"EqualVersionsAndAnOlderSourceKeep", "C:\\SRC\\X.DLL", "1.0", "1.0", 0x1000, 0x5000, false},
        VersionCase{"ATargetWithoutAVersionLeavesItToTheDates", "C:\\SRC\\X.DLL", "2.0", nullptr, 0x1000, 0x5000,
                    false},
        VersionCase{"NoComponentLeavesItToTheDates", "C:\\SRC\\X.EXE", "4.00.950", "4.00.1111", 0x1000, 0x5000, false},
        VersionCase{"ADotInTheSourceDirectoryDoesNotHideAComponent", "C:\\SRC.V2\\X.DLL", "4.00.950", "4.00.1111",
                    0x1000, 0x5000, true}),
    [](const ::testing::TestParamInfo<VersionCase>& info) { return std::string(info.param.what); });

TEST_F(FileInstallTest, ASourceThatIsTheTargetItselfIsLeftInPlace) {
  files.AddFile("C:\\APP\\A.TXT", "already here", kAttrArchive, {0x1000, 0});
  variables.sourceDir = "C:\\APP";
  host.counters.totalBytes = 1000;
  for (OverwritePolicy p : {OverwritePolicy::kYes, OverwritePolicy::kAsk}) {
    EXPECT_EQ(Install("A.TXT", p), kFileEntryDone);
    EXPECT_EQ(Content("C:\\APP\\A.TXT"), "already here");
  }
  EXPECT_TRUE(ui.boxes.empty());
  EXPECT_EQ(host.counters.bytesDone, 24);
  EXPECT_EQ(Journal(), "<none>");
}

// ---- the copy ---------------------------------------------------------------------------

TEST_F(FileInstallTest, ACopyMovesEveryByteAndRedrawsAbout50000BytesApart) {
  const std::string big = Noise(300000, 1);
  files.AddFile("C:\\SRC\\BIG.BIN", big, kAttrArchive, {0x2E21, 0x7A00});
  host.counters.totalBytes = 2000000;
  host.counters.bytesDone = 1000;
  EXPECT_EQ(Copy("C:\\APP\\BIG.BIN", "C:\\SRC\\BIG.BIN", OverwritePolicy::kYes, kAttrReadOnly | kAttrArchive),
            kCopyDone);
  EXPECT_EQ(Content("C:\\APP\\BIG.BIN"), big);
  EXPECT_EQ(host.counters.bytesDone, 301000);
  // The date is set although the file is made read-only.
  EXPECT_EQ(Date("C:\\APP\\BIG.BIN").date, 0x2E21);
  EXPECT_EQ(Date("C:\\APP\\BIG.BIN").time, 0x7A00);
  EXPECT_EQ(files.GetAttributes("C:\\APP\\BIG.BIN"), uint32_t(kAttrReadOnly | kAttrArchive));
  EXPECT_EQ(host.events.front(), "file:C:\\APP\\BIG.BIN");
  // In blocks of 32768: a redraw each time more than 50,000 bytes came
  // since the last one (after 65536, 131072, 196608, 262144), and at the end.
  EXPECT_EQ(host.refreshes, (std::vector<int32_t>{66536, 132072, 197608, 263144, 301000}));
}

TEST_F(FileInstallTest, FilesOfEveryBlockBoundaryAreCopiedWhole) {
  for (size_t size : {size_t(0), size_t(1), size_t(32767), size_t(32768), size_t(32769), size_t(65536)}) {
    SCOPED_TRACE(size);
    const std::string data = Noise(size, uint32_t(size));
    files.AddFile("C:\\SRC\\F.BIN", data);
    EXPECT_EQ(Copy("C:\\APP\\F.BIN", "C:\\SRC\\F.BIN", OverwritePolicy::kYes), kCopyDone);
    EXPECT_EQ(Content("C:\\APP\\F.BIN"), data);
  }
}

TEST_F(FileInstallTest, WhenTheBarCountsFilesNoBytesAreCounted) {
  files.AddFile("C:\\SRC\\A.TXT", Noise(100000, 2));
  host.counters.totalBytes = 2000000;
  host.counters.bytesUnknown = true;
  EXPECT_EQ(Install("A.TXT"), kFileEntryDone);
  EXPECT_EQ(host.counters.bytesDone, 0);
  EXPECT_EQ(host.events, (std::vector<std::string>{"file:C:\\APP\\A.TXT", "progress:0", "pump"}));
}

TEST_F(FileInstallTest, ATargetThatCannotBeCreatedStops) {
  files.AddFile("C:\\SRC\\A.TXT", "a");
  files.AddDirectory("C:\\APP\\A.TXT");
  EXPECT_EQ(Install("A.TXT"), kFileEntryStop);
  ExpectCopyError("Cannot create file C:\\APP\\A.TXT");
  EXPECT_EQ(Journal(), "<none>");
}

TEST_F(FileInstallTest, AWriteErrorAtAnyPointLeavesNoHalfWrittenFileAndAJournalThatIsTrue) {
  const std::string data = Noise(100000, 3);
  files.AddFile("C:\\SRC\\A.TXT", "first");
  files.AddFile("C:\\SRC\\B.BIN", data);
  files.AddFile("C:\\SRC\\C.TXT", "third");
  for (int64_t room : {int64_t(0), int64_t(1), int64_t(65535), int64_t(65536), int64_t(65537), int64_t(99999)}) {
    SCOPED_TRACE(room);
    disk.FillDisk(room, "C:\\APP\\B.BIN");
    ui.boxes.clear();
    files.DeleteFile("C:\\APP\\install.log");
    files.DeleteFile("C:\\APP\\A.TXT");
    EXPECT_EQ(Install("*.*"), kFileEntryStop);
    ExpectCopyError("Writing disk error.");
    EXPECT_EQ(Content("C:\\APP\\A.TXT"), "first");
    EXPECT_FALSE(files.Exists("C:\\APP\\B.BIN"));
    EXPECT_FALSE(files.Exists("C:\\APP\\C.TXT"));
    EXPECT_EQ(Journal(), "FILE: \"C:\\APP\\A.TXT\"\r\n");
  }
  disk.FillDisk(100000, "C:\\APP\\B.BIN");
  ui.boxes.clear();
  EXPECT_EQ(Install("*.*"), kFileEntryDone);
  EXPECT_EQ(Content("C:\\APP\\B.BIN"), data);
}

TEST_F(FileInstallTest, AReadErrorStopsAndLeavesNoHalfWrittenFile) {
  files.AddFile("C:\\SRC\\A.TXT", "cannot be read");
  disk.FailReadsOf("C:\\SRC\\A.TXT");
  EXPECT_EQ(Install("A.TXT"), kFileEntryStop);
  ExpectCopyError("Reading disk error.");
  EXPECT_FALSE(files.Exists("C:\\APP\\A.TXT"));
  EXPECT_EQ(Journal(), "<none>");
}

TEST_F(FileInstallTest, APayloadEntryCutShortStopsAndIsNeverInstalledAsWhole) {
  std::string package = PackageWith({{"README.TXT", "only part of it is there", 0x2C41, 0x5000}});
  const size_t first = ReadLe32(package, package.size() - 8);
  const uint32_t stated = 100000;  // past the end of the file
  for (int i = 0; i < 4; ++i) package[first + 16 + i] = char(stated >> (8 * i));
  files.AddFile("C:\\SETUP\\SETUP.EXE", package);
  archive.AttachArchive("C:\\SETUP\\SETUP.EXE");
  EXPECT_EQ(Install("README.TXT"), kFileEntryStop);
  ExpectCopyError("Reading disk error.");
  EXPECT_FALSE(files.Exists("C:\\APP\\README.TXT"));
  EXPECT_EQ(Journal(), "<none>");
}

TEST_F(FileInstallTest, ASourceThatHasGoneIsReportedAsNotFound) {
  EXPECT_EQ(Copy("C:\\APP\\A.TXT", "A:\\A.TXT", OverwritePolicy::kYes), kCopyStopped);
  ExpectNotFound("A:\\A.TXT");
  EXPECT_FALSE(files.Exists("C:\\APP\\A.TXT"));
}

// ---- containers ---------------------------------------------------------------------------

TEST_F(FileInstallTest, AContainerIsExtractedInsteadOfCopied) {
  Put(testing::BuildContainer({{"README.TXT", "read me", 0x3000, 0x0100}, {"BIN\\TOOL.EXE", Noise(5000, 4)}}));
  files.AddFile("C:\\APP\\README.TXT", "kept under NO");
  EXPECT_EQ(Install("DATA.Z", OverwritePolicy::kNo, kAttrArchive), kFileEntryDone);
  EXPECT_FALSE(files.Exists("C:\\APP\\DATA.Z"));
  EXPECT_EQ(Content("C:\\APP\\README.TXT"), "kept under NO");
  EXPECT_EQ(Content("C:\\APP\\BIN\\TOOL.EXE"), Noise(5000, 4));
  EXPECT_EQ(files.GetAttributes("C:\\APP\\BIN\\TOOL.EXE"), uint32_t(kAttrArchive));
  EXPECT_EQ(Journal(), "DIRECTORY: \"C:\\APP\\BIN\"\r\n\r\nFILE: \"C:\\APP\\BIN\\TOOL.EXE\"\r\n");

  // A container error stops the entry: an older read-only member cannot
  // be replaced under NEW.
  files.DeleteFile("C:\\APP\\BIN\\TOOL.EXE");
  files.AddFile("C:\\APP\\BIN\\TOOL.EXE", "read-only", kAttrReadOnly, {0x1000, 0});
  ui.boxes.clear();
  EXPECT_EQ(Install("DATA.Z", OverwritePolicy::kNew), kFileEntryStop);
  EXPECT_EQ(Messages().back(), "Cannot create file C:\\APP\\BIN\\TOOL.EXE");
}

class FileInstallSplitTest : public FileInstallTest {
 protected:
  FileInstallSplitTest() {
    files.AddDrive('A', DriveType::kRemovable);
    variables.sourceDir = "A:\\";
  }
  // Puts disk `index` into drive A.
  void Insert(size_t index) {
    std::vector<FindEntry> found;
    if (files.Find("A:\\*.*", &found))
      for (const FindEntry& f : found) files.DeleteFile("A:\\" + f.name);
    for (const auto& file : disks[index]) files.AddFile("A:\\" + file.first, file.second);
    inDrive = index;
  }

  std::vector<std::vector<std::pair<std::string, std::string>>> disks;
  size_t inDrive = 0;
};

TEST_F(FileInstallSplitTest, ASplitContainerIsInstalledAfterTheOtherFilesOfItsEntry) {
  std::vector<ContainerVolume> volumes =
      testing::BuildContainer({{"ONE.BIN", Noise(3000, 5)}, {"TWO.BIN", Noise(3000, 6)}}, 2500);
  ASSERT_GE(volumes.size(), 2u);
  // One volume a disk; the first disk also holds two plain files.
  disks.resize(volumes.size());
  disks[0] = {{"A.TXT", "a"}, {volumes[0].name, volumes[0].bytes}, {"Z.TXT", "z"}};
  for (size_t i = 1; i < volumes.size(); ++i) disks[i] = {{volumes[i].name, volumes[i].bytes}};
  Insert(0);
  host.diskReached = true;
  host.nextDisk = [this](bool advance) {
    if (advance) Insert(inDrive + 1);
    return 0;
  };

  EXPECT_EQ(Install("*.*"), kFileEntryDone);
  EXPECT_EQ(Content("C:\\APP\\A.TXT"), "a");
  EXPECT_EQ(Content("C:\\APP\\Z.TXT"), "z");
  EXPECT_EQ(Content("C:\\APP\\ONE.BIN"), Noise(3000, 5));
  EXPECT_EQ(Content("C:\\APP\\TWO.BIN"), Noise(3000, 6));
  EXPECT_FALSE(files.Exists("C:\\APP\\DATA.Z"));
  EXPECT_EQ(Journal(),
            "FILE: \"C:\\APP\\A.TXT\"\r\nFILE: \"C:\\APP\\Z.TXT\"\r\n"
            "FILE: \"C:\\APP\\ONE.BIN\"\r\nFILE: \"C:\\APP\\TWO.BIN\"\r\n");
  EXPECT_EQ(host.Count("disk:10"), int(volumes.size()) - 1);
  EXPECT_TRUE(ui.boxes.empty());

  // The continuation volume, listed next in the script, is not installed.
  const std::string last = volumes.back().name;
  EXPECT_EQ(continuationName, last);
  EXPECT_EQ(Install(last), kFileEntryDone);
  EXPECT_FALSE(files.Exists("C:\\APP\\" + last));
}

TEST_F(FileInstallSplitTest, EverySplitContainerOfAWildcardIsInstalled) {
  std::vector<ContainerVolume> first = testing::BuildContainer({{"ONE.BIN", Noise(3000, 7)}}, 2000, "FIRST");
  std::vector<ContainerVolume> second = testing::BuildContainer({{"TWO.BIN", Noise(3000, 8)}}, 2000, "SECOND");
  ASSERT_EQ(first.size(), 2u);
  ASSERT_EQ(second.size(), 2u);
  // Both first volumes and both continuations on one disk (volume 2 names
  // do not match *.Z).
  disks.resize(1);
  disks[0] = {{first[0].name, first[0].bytes},
              {first[1].name, first[1].bytes},
              {second[0].name, second[0].bytes},
              {second[1].name, second[1].bytes}};
  Insert(0);
  host.nextDisk = [](bool) { return 0; };
  EXPECT_EQ(Install("*.Z"), kFileEntryDone);
  EXPECT_EQ(Content("C:\\APP\\ONE.BIN"), Noise(3000, 7));
  EXPECT_EQ(Content("C:\\APP\\TWO.BIN"), Noise(3000, 8));
  EXPECT_EQ(Journal(), "FILE: \"C:\\APP\\ONE.BIN\"\r\nFILE: \"C:\\APP\\TWO.BIN\"\r\n");
}

// ---- cancel ----------------------------------------------------------------------------

TEST_F(FileInstallTest, CancelStopsAfterTheFileInProgress) {
  files.AddFile("C:\\SRC\\A.HLP", "a");
  files.AddFile("C:\\SRC\\B.HLP", "b");
  files.AddFile("C:\\SRC\\C.HLP", "c");
  host.cancelAtPump = 2;
  EXPECT_EQ(Install("*.HLP"), kFileEntryStop);
  EXPECT_EQ(Content("C:\\APP\\A.HLP"), "a");
  EXPECT_EQ(Content("C:\\APP\\B.HLP"), "b");
  EXPECT_FALSE(files.Exists("C:\\APP\\C.HLP"));
  EXPECT_EQ(Journal(), "FILE: \"C:\\APP\\A.HLP\"\r\nFILE: \"C:\\APP\\B.HLP\"\r\n");
  EXPECT_TRUE(ui.boxes.empty());

  // A single file: cancelled after it, the entry still reports the stop.
  host.pumps = 0;
  host.cancelAtPump = 1;
  EXPECT_EQ(Install("C.HLP"), kFileEntryStop);
  EXPECT_EQ(Content("C:\\APP\\C.HLP"), "c");
}

// ---- RENAME ----------------------------------------------------------------------------

class RenameEntryTest : public FileInstallTest {
 protected:
  void Rename(const std::string& from, const std::string& to) {
    RenameRecord record;
    record.oldName = from;
    record.newName = to;
    RenameEntry(Context().copy, variables, record);
  }
};

TEST_F(RenameEntryTest, AnExtensionPatternGivesEveryMatchTheNewExtension) {
  files.AddFile("C:\\APP\\A.TXT", "a");
  files.AddFile("C:\\APP\\B.TXT", "b");
  files.AddFile("C:\\APP\\B.BAK", "an older backup, replaced");
  files.AddFile("C:\\APP\\README", "no extension");
  files.AddDirectory("C:\\APP\\NOTES.TXT");
  Rename("$DEFAULTDIR$\\*.TXT", "C:\\APP\\*.BAK");
  EXPECT_EQ(Content("C:\\APP\\A.BAK"), "a");
  EXPECT_EQ(Content("C:\\APP\\B.BAK"), "b");
  EXPECT_FALSE(files.Exists("C:\\APP\\A.TXT"));
  EXPECT_EQ(Content("C:\\APP\\README"), "no extension");
  EXPECT_TRUE(files.Exists("C:\\APP\\NOTES.TXT"));
  EXPECT_FALSE(files.Exists("C:\\APP\\NOTES.BAK"));
  EXPECT_EQ(Journal(), "RENAME: C:\\APP\\A.BAK, C:\\APP\\A.TXT\r\nRENAME: C:\\APP\\B.BAK, C:\\APP\\B.TXT\r\n");
  EXPECT_EQ(files.GetCurrentDirectory(), "C:\\WINDOWS");
}

TEST_F(RenameEntryTest, APrefixPatternKeepsEachExtensionAndAWholePatternEachName) {
  files.AddFile("C:\\APP\\AB1.TXT", "1");
  files.AddFile("C:\\APP\\AB2.DOC", "2");
  files.AddFile("C:\\APP\\ABX", "x");
  files.AddFile("C:\\APP\\AB3.TXT", "3: would become CD.TXT as well");
  Rename("C:\\APP\\AB*", "C:\\APP\\CD");
  EXPECT_EQ(Content("C:\\APP\\CD.TXT"), "1");
  EXPECT_EQ(Content("C:\\APP\\CD.DOC"), "2");
  EXPECT_EQ(Content("C:\\APP\\CD"), "x");
  // The second file for one target does not destroy the first.
  EXPECT_EQ(Content("C:\\APP\\AB3.TXT"), "3: would become CD.TXT as well");

  EXPECT_EQ(Journal(),
            "RENAME: C:\\APP\\CD.TXT, C:\\APP\\AB1.TXT\r\n"
            "RENAME: C:\\APP\\CD.DOC, C:\\APP\\AB2.DOC\r\n"
            "RENAME: C:\\APP\\CD, C:\\APP\\ABX\r\n");

  // *.* keeps the names and may move the files into a new directory.
  files.DeleteFile("C:\\APP\\install.log");
  files.AddFile("C:\\DOCS\\GUIDE.TXT", "guide");
  files.AddFile("C:\\DOCS\\NOTES", "notes");
  files.AddDirectory("C:\\DOCS\\PICTURES");
  Rename("C:\\DOCS\\*.*", "C:\\OLD\\SAVED\\*.*");
  EXPECT_EQ(Content("C:\\OLD\\SAVED\\GUIDE.TXT"), "guide");
  EXPECT_EQ(Content("C:\\OLD\\SAVED\\NOTES"), "notes");
  EXPECT_FALSE(files.Exists("C:\\DOCS\\GUIDE.TXT"));
  EXPECT_TRUE(files.Exists("C:\\DOCS\\PICTURES"));
  EXPECT_FALSE(files.Exists("C:\\OLD\\SAVED\\PICTURES"));
  EXPECT_EQ(Journal(),
            "DIRECTORY: \"C:\\OLD\"\r\nDIRECTORY: \"C:\\OLD\\SAVED\"\r\n\r\n"
            "RENAME: C:\\OLD\\SAVED\\GUIDE.TXT, C:\\DOCS\\GUIDE.TXT\r\n"
            "RENAME: C:\\OLD\\SAVED\\NOTES, C:\\DOCS\\NOTES\r\n");
}

TEST_F(RenameEntryTest, AWildcardWithoutADirectoryRenamesNothing) {
  files.AddFile("C:\\APP\\A.TXT", "a");
  files.SetCurrentDirectory("C:\\APP");
  Rename("*.TXT", "*.BAK");
  EXPECT_TRUE(files.Exists("C:\\APP\\A.TXT"));
  EXPECT_FALSE(files.Exists("C:\\APP\\A.BAK"));
  EXPECT_EQ(Journal(), "<none>");
}

TEST_F(RenameEntryTest, AWildcardInADriveRootRenamesInTheRoot) {
  files.AddFile("C:\\A.TXT", "in the root");
  files.AddFile("C:\\APP\\B.TXT", "in the current directory");
  files.SetCurrentDirectory("C:\\APP");
  Rename("C:\\*.TXT", "C:\\*.BAK");
  EXPECT_EQ(Content("C:\\A.BAK"), "in the root");
  EXPECT_TRUE(files.Exists("C:\\APP\\B.TXT"));
  EXPECT_EQ(Journal(), "RENAME: C:\\A.BAK, C:\\A.TXT\r\n");
  EXPECT_EQ(files.GetCurrentDirectory(), "C:\\APP");
}

TEST_F(RenameEntryTest, OneFileIsRenamedReplacingTheNewNameAndJournalled) {
  files.AddFile("C:\\APP\\APP.INI", "current");
  files.AddFile("C:\\APP\\APP.OLD", "older");
  Rename("$DEFAULTDIR$\\APP.INI", "$DEFAULTDIR$\\APP.OLD");
  EXPECT_EQ(Content("C:\\APP\\APP.OLD"), "current");
  EXPECT_FALSE(files.Exists("C:\\APP\\APP.INI"));
  // A missing old file, and a file renamed onto itself, change nothing.
  Rename("C:\\APP\\MISSING.INI", "C:\\APP\\APP.OLD");
  Rename("C:\\APP\\APP.OLD", "c:\\app\\app.old");
  EXPECT_EQ(Content("C:\\APP\\APP.OLD"), "current");
  EXPECT_EQ(Journal(), "RENAME: C:\\APP\\APP.OLD, C:\\APP\\APP.INI\r\n");
}

// ---- DELETE ----------------------------------------------------------------------------

class DeleteEntryTest : public FileInstallTest {
 protected:
  void Delete(const std::string& name) {
    DeleteRecord record;
    record.file = name;
    DeleteEntry(disk, variables, record);
  }
};

TEST_F(DeleteEntryTest, AReadOnlyFileIsDeletedAfterItsAttributesAreCleared) {
  files.AddFile("C:\\APP\\LOCKED.DAT", "x", kAttrReadOnly | kAttrHidden);
  files.AddFile("C:\\APP\\OLD.TMP", "x");
  Delete("$DEFAULTDIR$\\LOCKED.DAT");
  EXPECT_FALSE(files.Exists("C:\\APP\\LOCKED.DAT"));
  Delete("OLD.TMP");  // inside $DEFAULTDIR$
  EXPECT_FALSE(files.Exists("C:\\APP\\OLD.TMP"));
  Delete("C:\\APP\\MISSING.DAT");
  // A directory is neither deleted nor stripped of its attributes.
  files.AddDirectory("C:\\APP\\DATA");
  files.SetAttributes("C:\\APP\\DATA", kAttrDirectory | kAttrReadOnly);
  Delete("DATA");
  EXPECT_EQ(files.GetAttributes("C:\\APP\\DATA"), uint32_t(kAttrDirectory | kAttrReadOnly));
  EXPECT_TRUE(ui.boxes.empty());
  EXPECT_EQ(Journal(), "<none>");
}

TEST_F(DeleteEntryTest, AWildcardDeletesEveryMatchingFileButNoDirectory) {
  files.AddFile("C:\\APP\\A.TMP", "x");
  files.AddFile("C:\\APP\\B.TMP", "x", kAttrReadOnly);
  files.AddFile("C:\\APP\\KEEP.TXT", "x");
  files.AddDirectory("C:\\APP\\DIR.TMP");
  files.AddFile("C:\\APP\\DIR.TMP\\C.TMP", "x");
  Delete("*.TMP");
  EXPECT_FALSE(files.Exists("C:\\APP\\A.TMP"));
  EXPECT_FALSE(files.Exists("C:\\APP\\B.TMP"));
  EXPECT_TRUE(files.Exists("C:\\APP\\KEEP.TXT"));
  EXPECT_TRUE(files.Exists("C:\\APP\\DIR.TMP\\C.TMP"));
  EXPECT_EQ(files.GetCurrentDirectory(), "C:\\WINDOWS");

  files.AddFile("C:\\APP\\LOG1.TXT", "x");
  files.AddFile("C:\\APP\\LOG22.TXT", "x");
  Delete("C:\\APP\\LOG?.TXT");
  EXPECT_FALSE(files.Exists("C:\\APP\\LOG1.TXT"));
  EXPECT_TRUE(files.Exists("C:\\APP\\LOG22.TXT"));

  // A directory that does not exist deletes nothing anywhere.
  files.SetCurrentDirectory("C:\\APP");
  Delete("C:\\NOWHERE\\*.TXT");
  EXPECT_TRUE(files.Exists("C:\\APP\\KEEP.TXT"));
  EXPECT_EQ(files.GetCurrentDirectory(), "C:\\APP");
}

TEST_F(DeleteEntryTest, AWildcardInADriveRootDeletesInTheRoot) {
  files.AddFile("C:\\A.TMP", "x");
  files.AddFile("C:\\APP\\B.TMP", "x");
  files.SetCurrentDirectory("C:\\APP");
  Delete("C:\\*.TMP");
  EXPECT_FALSE(files.Exists("C:\\A.TMP"));
  EXPECT_TRUE(files.Exists("C:\\APP\\B.TMP"));
}

// ---- the journal over a whole run -----------------------------------------------------

TEST_F(FileInstallTest, TheJournalListsEveryChangeInOrder) {
  files.AddFile("C:\\APP\\SETTINGS.INI", "s");
  files.AddFile("C:\\SRC\\X.DLL", "x");
  files.AddFile("C:\\SRC\\A.HLP", "a");
  files.AddFile("C:\\SRC\\B.HLP", "b");
  Put(testing::BuildContainer({{"DOC\\GUIDE.TXT", "guide"}}));
  files.AddFile("C:\\APP\\OLD.TMP", "x");

  RenameRecord rename;
  rename.oldName = "$DEFAULTDIR$\\SETTINGS.INI";
  rename.newName = "$DEFAULTDIR$\\SETTINGS.BAK";
  RenameEntry(Context().copy, variables, rename);
  EXPECT_EQ(Install("SUB\\X.DLL"), kFileEntryDone);
  EXPECT_EQ(Install("HELP\\*.HLP"), kFileEntryDone);
  EXPECT_EQ(Install("DATA.Z"), kFileEntryDone);
  DeleteRecord erase;
  erase.file = "OLD.TMP";
  DeleteEntry(disk, variables, erase);

  EXPECT_EQ(Journal(),
            "RENAME: C:\\APP\\SETTINGS.BAK, C:\\APP\\SETTINGS.INI\r\n"
            "DIRECTORY: \"C:\\APP\\SUB\"\r\n\r\n"
            "FILE: \"C:\\APP\\SUB\\X.DLL\"\r\n"
            "DIRECTORY: \"C:\\APP\\HELP\"\r\n\r\n"
            "FILE: \"C:\\APP\\HELP\\A.HLP\"\r\n"
            "FILE: \"C:\\APP\\HELP\\B.HLP\"\r\n"
            "DIRECTORY: \"C:\\APP\\DOC\"\r\n\r\n"
            "FILE: \"C:\\APP\\DOC\\GUIDE.TXT\"\r\n");
  EXPECT_FALSE(files.Exists("C:\\APP\\OLD.TMP"));
  EXPECT_TRUE(ui.boxes.empty());
}

}  // namespace
}  // namespace quorril
