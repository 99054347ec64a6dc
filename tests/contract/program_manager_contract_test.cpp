// Program Manager port contract: command texts sent to the shell, and the
// groups and items it keeps. Run against the in-memory fake natively and
// under Wine against the Win32 adapter, talking to Wine's own shell, whose
// groups and items are folders and shortcuts of the Start menu.
//
// Wine's shell stops serving when an argument holds nothing but blanks
// (", , -1"), or when an item comes before any group: every later command
// of the session then fails. No case sends such a text.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "contract/fixtures.h"

namespace quorril::testing {
namespace {

using Names = std::vector<std::string>;

class ProgramManagerContract : public ::testing::Test {
 protected:
  void SetUp() override {
    fx_ = MakePortFixture();
    ASSERT_TRUE(shell().Begin());
  }
  void TearDown() override { shell().End(); }
  ProgramManager& shell() { return fx_->programManager(); }
  bool Run(const std::string& command) { return shell().Execute(command); }
  // A program file of the scratch directory, which the items can start.
  std::string Program(const std::string& name) {
    std::string path = fx_->Scratch() + "\\" + name;
    fx_->PutFile(path, "MZ");
    return path;
  }
  std::unique_ptr<PortFixture> fx_;
};

TEST_F(ProgramManagerContract, GroupsAndItemsAreMadeAndRemoved) {
  std::string group = fx_->ScratchGroup("Tools");
  std::string app = Program("app.exe"), tool = Program("tool.exe");
  ASSERT_TRUE(Run("[CreateGroup(" + group + ")]"));
  EXPECT_TRUE(fx_->HasGroup(group));
  EXPECT_TRUE(Run("[AddItem(" + app + ", App)]"));
  EXPECT_TRUE(Run("[AddItem(" + tool + ", Tool)]"));
  EXPECT_EQ(fx_->Items(group), (Names{"App", "Tool"}));

  EXPECT_TRUE(Run("[DeleteItem(App)]"));
  EXPECT_EQ(fx_->Items(group), (Names{"Tool"}));
  EXPECT_FALSE(Run("[DeleteItem(App)]")) << "it is gone";

  EXPECT_TRUE(Run("[DeleteGroup(" + group + ")]"));
  EXPECT_FALSE(fx_->HasGroup(group)) << "with its items";
  EXPECT_FALSE(Run("[DeleteGroup(" + group + ")]"));
}

TEST_F(ProgramManagerContract, TheGroupsAreListedAndAGroupIsDescribedOrNotAnsweredAtAll) {
  std::string group = fx_->ScratchGroup("Listed");
  std::string app = Program("app.exe"), tool = Program("tool.exe");
  ASSERT_TRUE(Run("[CreateGroup(" + group + ")][AddItem(" + app + ", App)][AddItem(" + tool + ", Tool)]"));
  std::string text;
  ASSERT_TRUE(shell().Request("Groups", &text));
  EXPECT_NE(("\r\n" + text).find("\r\n" + group + "\r\n"), std::string::npos) << text;
  // A shell that describes a group gives a line for it and one per item.
  if (shell().Request(group, &text)) {
    size_t lines = 0;
    for (size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at + 2)) ++lines;
    EXPECT_EQ(lines, 3u) << text;
  }
  EXPECT_FALSE(shell().Request(fx_->ScratchGroup("Never made"), &text) && text.find("Never made") != std::string::npos);
  EXPECT_TRUE(Run("[DeleteGroup(" + group + ")]"));
  ASSERT_TRUE(shell().Request("Groups", &text));
  EXPECT_EQ(("\r\n" + text).find("\r\n" + group + "\r\n"), std::string::npos) << text;
}

TEST_F(ProgramManagerContract, ReplaceItemRemovesTheItemForTheNextOneAdded) {
  std::string group = fx_->ScratchGroup("Replace");
  std::string app = Program("app.exe"), other = Program("other.exe");
  ASSERT_TRUE(Run("[CreateGroup(" + group + ")]"));
  ASSERT_TRUE(Run("[AddItem(" + app + ", App)]"));
  EXPECT_TRUE(Run("[ReplaceItem(App)]"));
  EXPECT_EQ(fx_->Items(group), Names{});
  EXPECT_TRUE(Run("[AddItem(" + other + ", App)]"));
  EXPECT_EQ(fx_->Items(group), (Names{"App"}));
  EXPECT_FALSE(Run("[ReplaceItem(Missing)]")) << "no such item";
}

TEST_F(ProgramManagerContract, ItemsGoToTheGroupLastCreated) {
  std::string first = fx_->ScratchGroup("First"), second = fx_->ScratchGroup("Second");
  std::string app = Program("app.exe");
  ASSERT_TRUE(Run("[CreateGroup(" + first + ")]"));
  ASSERT_TRUE(Run("[CreateGroup(" + second + ")]"));
  EXPECT_TRUE(Run("[AddItem(" + app + ", In Second)]"));
  ASSERT_TRUE(Run("[CreateGroup(" + first + ")]")) << "an existing group becomes the current one";
  EXPECT_TRUE(Run("[AddItem(" + app + ", In First)]"));
  EXPECT_FALSE(Run("[DeleteItem(In Second)]")) << "not in the current group";
  EXPECT_EQ(fx_->Items(first), (Names{"In First"}));
  EXPECT_EQ(fx_->Items(second), (Names{"In Second"}));
}

TEST_F(ProgramManagerContract, QuotesKeepCommasAndParenthesesInsideAnArgument) {
  std::string group = fx_->ScratchGroup("Quoted, (1)");
  std::string app = Program("app.exe");
  ASSERT_TRUE(Run("[CreateGroup(\"" + group + "\")]"));
  EXPECT_TRUE(fx_->HasGroup(group));
  struct Case {
    const char* command;  // $ stands for the program
    bool executed;
  };
  const Case cases[] = {
      {"[AddItem(\"$\", \"A, B (c)\")]", true},
      {"[AddItem($, \"Par) (en\")]", true},
      {"[AddItem($, Split, Here (c))]", false},
      {"[AddItem($, Paren (x))]", false},
  };
  for (const Case& c : cases) {
    std::string command = c.command;
    command.replace(command.find('$'), 1, app);
    EXPECT_EQ(Run(command), c.executed) << command;
  }
  EXPECT_EQ(fx_->Items(group), (Names{"A, B (c)", "Par) (en"})) << "a refused command makes no item";
  EXPECT_TRUE(Run("[DeleteItem(\"A, B (c)\")]"));
  EXPECT_EQ(fx_->Items(group), (Names{"Par) (en"}));
}

TEST_F(ProgramManagerContract, BlanksAroundArgumentsAndTheCaseOfNamesDoNotCount) {
  std::string group = fx_->ScratchGroup("Blanks");
  std::string app = Program("app.exe"), tool = Program("tool.exe");
  ASSERT_TRUE(Run(" [creategroup(  " + group + "  )]"));
  EXPECT_TRUE(fx_->HasGroup(group));
  EXPECT_TRUE(Run("[ADDITEM( " + app + " ,  Padded  )]"));
  EXPECT_TRUE(Run("[AddItem(" + tool + ")]")) << "the caption defaults to the program's name";
  EXPECT_TRUE(Run("[CreateGroup(" + group + ")][AddItem(" + app + ", Second Of Two)]")) << "two commands";
  EXPECT_EQ(fx_->Items(group), (Names{"Padded", "Second Of Two", "tool"}));
}

TEST_F(ProgramManagerContract, AnItemTakesIconIndexPositionAndWorkingDirectory) {
  std::string group = fx_->ScratchGroup("Full");
  std::string app = Program("app.exe");
  ASSERT_TRUE(Run("[CreateGroup(" + group + ")]"));
  EXPECT_TRUE(Run("[AddItem(" + app + ", Full, " + app + ", 2, -1, -1," + fx_->Scratch() + "\\)]"));
  EXPECT_TRUE(Run("[AddItem(" + app + ",Empty,,,-1,-1," + fx_->Scratch() + "\\)]")) << "empty, without blanks";
  EXPECT_EQ(fx_->Items(group), (Names{"Empty", "Full"}));
}

TEST_F(ProgramManagerContract, TextsTheShellCannotCarryOutAreRefused) {
  std::string group = fx_->ScratchGroup("Refused");
  ASSERT_TRUE(Run("[CreateGroup(" + group + ")]"));
  const std::string texts[] = {
      "",
      "[CreateGroup(" + group + " X)",
      "[NoSuchCommand(x)]",
      "[AddItem(" + fx_->Scratch() + "\\missing.exe, Missing)]",
      "[DeleteItem(Missing)]",
      "[DeleteGroup(" + fx_->ScratchGroup("Never Made") + ")]",
      std::string("[CreateGroup(A") + '\0' + "B)]",
  };
  for (const std::string& text : texts) EXPECT_FALSE(Run(text)) << text;
  EXPECT_EQ(fx_->Items(group), Names{});
  EXPECT_FALSE(fx_->HasGroup(group + " X"));
}

TEST_F(ProgramManagerContract, NothingIsSentWithoutTheClientSide) {
  std::string group = fx_->ScratchGroup("Ended");
  shell().End();
  EXPECT_FALSE(Run("[CreateGroup(" + group + ")]"));
  EXPECT_FALSE(fx_->HasGroup(group));
  shell().End();
  ASSERT_TRUE(shell().Begin());
  ASSERT_TRUE(shell().Begin()) << "a second Begin() keeps what the first set up";
  EXPECT_TRUE(Run("[CreateGroup(" + group + ")]"));
  EXPECT_TRUE(fx_->HasGroup(group));
}

}  // namespace
}  // namespace quorril::testing
