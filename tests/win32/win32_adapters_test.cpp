// What the Win32 adapters add to the system calls they wrap: paths with a
// zero byte refused, texts of any length read whole, errors kept.
#include <gtest/gtest.h>

#include <string>

#include <aclapi.h>
#include <sddl.h>
#include <cstdio>

#include "platform/win32/handles.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_process.h"

namespace quorril {
namespace {

class Win32AdaptersTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(files_.GetTempDirectory(&temp_));
    scratch_ = temp_ + "qwa" + std::to_string(GetCurrentProcessId());
    ASSERT_TRUE(files_.CreateDirectory(scratch_) || files_.LastError() == kErrorAlreadyExists);
    saved_ = files_.GetCurrentDirectory();
  }
  void TearDown() override {
    files_.SetCurrentDirectory(saved_);
    files_.DeleteFile(scratch_ + "\\a.txt");
    files_.RemoveDirectory(scratch_);
  }
  Win32FileSystem files_;
  std::string temp_, scratch_, saved_;
};

TEST_F(Win32AdaptersTest, PathsWithAZeroByteNameNothing) {
  auto out = files_.Open(scratch_ + "\\a.txt", OpenMode::kCreate);
  ASSERT_TRUE(out);
  out.reset();
  const std::string cut = scratch_ + "\\a.txt" + std::string(1, '\0') + "hidden";
  EXPECT_FALSE(files_.Open(cut, OpenMode::kRead)) << "not a.txt, which the system would see";
  EXPECT_EQ(files_.LastError(), uint32_t(kErrorInvalidName));
  EXPECT_EQ(files_.GetAttributes(cut), kInvalidAttributes);
  EXPECT_FALSE(files_.DeleteFile(cut));
  EXPECT_FALSE(files_.MoveFile(scratch_ + "\\a.txt", cut));
  std::vector<FindEntry> entries;
  EXPECT_FALSE(files_.Find(cut, &entries));
  EXPECT_NE(files_.GetAttributes(scratch_ + "\\a.txt"), kInvalidAttributes) << "a.txt is untouched";
  Win32Process process;
  EXPECT_FALSE(process.RunAndWait(std::string("cmd /c exit") + std::string(1, '\0') + " 1"));
}

TEST_F(Win32AdaptersTest, TheTemporaryAndCurrentDirectoriesComeAsTheSystemGivesThem) {
  char buffer[MAX_PATH + 1] = {};
  ASSERT_GT(GetTempPathA(sizeof buffer, buffer), 0u);
  EXPECT_EQ(temp_, buffer);
  ASSERT_TRUE(files_.SetCurrentDirectory(scratch_));
  ASSERT_GT(GetCurrentDirectoryA(sizeof buffer, buffer), 0u);
  EXPECT_EQ(files_.GetCurrentDirectory(), buffer);
}

TEST_F(Win32AdaptersTest, FailuresKeepTheSystemsErrorNumber) {
  EXPECT_FALSE(files_.RemoveDirectory(temp_));  // holds our scratch directory at least
  EXPECT_EQ(files_.LastError(), uint32_t(ERROR_DIR_NOT_EMPTY));
  EXPECT_FALSE(files_.SetCurrentDirectory(scratch_ + "\\missing"));
  EXPECT_EQ(files_.LastError(), uint32_t(ERROR_FILE_NOT_FOUND));
}

// The protected list as the system reports it back. Windows keeps it as
// set. Wine keeps no access list on its files: whatever was set, it reports
// one made from the Unix mode bits (SYSTEM and the file's owner full
// control, Everyone read and execute, each inherited, the list not marked
// protected). What both show, and what matters: only SYSTEM, the
// Administrators and the owner (the administrator who installed) may
// write, everyone else reads and executes, and what lies below inherits it.
TEST_F(Win32AdaptersTest, AProtectedDirectoryLetsOnlyAdministratorsWrite) {
  const std::string dir = scratch_ + "\\app";
  ASSERT_TRUE(files_.CreateDirectory(dir));
  ASSERT_TRUE(files_.ProtectDirectory(dir)) << files_.LastError();
  PACL dacl = nullptr;
  PSID owner = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  std::string name = dir;
  ASSERT_EQ(GetNamedSecurityInfoA(&name[0], SE_FILE_OBJECT, DACL_SECURITY_INFORMATION | OWNER_SECURITY_INFORMATION,
                                  &owner, nullptr, &dacl, nullptr, &descriptor),
            DWORD(ERROR_SUCCESS));
  ASSERT_NE(dacl, nullptr);
  SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
  PSID administrators = nullptr, system = nullptr;
  ASSERT_TRUE(AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0,
                                       &administrators));
  ASSERT_TRUE(AllocateAndInitializeSid(&nt, 1, SECURITY_LOCAL_SYSTEM_RID, 0, 0, 0, 0, 0, 0, 0, &system));
  const DWORD writes = FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_WRITE_EA | FILE_WRITE_ATTRIBUTES | FILE_DELETE_CHILD |
                       DELETE | WRITE_DAC | WRITE_OWNER;
  bool systemFull = false, readers = false;
  ASSERT_GE(dacl->AceCount, 2);
  for (DWORD i = 0; i < dacl->AceCount; ++i) {
    ACCESS_ALLOWED_ACE* ace = nullptr;
    ASSERT_TRUE(GetAce(dacl, i, reinterpret_cast<void**>(&ace)));
    PSID sid = &ace->SidStart;
    char* text = nullptr;
    ConvertSidToStringSidA(sid, &text);
    std::string who = text ? text : "?";
    LocalFree(text);
    EXPECT_EQ(ace->Header.AceType, ACCESS_ALLOWED_ACE_TYPE) << who;
    EXPECT_EQ(ace->Header.AceFlags & (OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE),
              OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE)
        << who << ": inherited below";
    bool trusted = EqualSid(sid, administrators) || EqualSid(sid, system) || (owner && EqualSid(sid, owner));
    if (EqualSid(sid, system)) systemFull = (ace->Mask & FILE_ALL_ACCESS) == FILE_ALL_ACCESS;
    if (!trusted) {
      EXPECT_EQ(ace->Mask & writes, 0u) << who << " may write";
      readers = readers || (ace->Mask & (FILE_GENERIC_READ | FILE_GENERIC_EXECUTE)) ==
                               (FILE_GENERIC_READ | FILE_GENERIC_EXECUTE);
    }
  }
  EXPECT_TRUE(systemFull);
  EXPECT_TRUE(readers) << "users read and execute";
  FreeSid(administrators);
  FreeSid(system);
  LocalFree(descriptor);
  EXPECT_TRUE(files_.RemoveDirectory(dir));
}

}  // namespace
}  // namespace quorril
