// The answers file reader: what each key gives, the defaults, and one
// minimal file per error with the line it names.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "shell/answers_file.h"

namespace quorril {
namespace {

Answers ReadOk(const std::string& text) {
  Answers answers;
  AnswersResult result = ReadAnswers(text, &answers);
  EXPECT_EQ(result.status, AnswersStatus::kOk) << result.Message() << "\n" << text;
  return answers;
}

TEST(AnswersFileTest, AnEmptySectionKeepsEveryDefault) {
  for (const char* text : {"", "[Setup]\n", "; nothing\r\n\r\n[setup]\r\n# still nothing\r\n"}) {
    Answers a = ReadOk(text);
    EXPECT_FALSE(a.dir.has_value());
    for (const auto& ask : a.ask) EXPECT_FALSE(ask.has_value());
    EXPECT_FALSE(a.choices.has_value()) << "absent choices keep the script's presets";
    EXPECT_FALSE(a.overwrite);
    EXPECT_TRUE(a.modify);
    EXPECT_FALSE(a.restart);
    EXPECT_TRUE(a.disks.empty());
  }
}

TEST(AnswersFileTest, EveryKeyIsRead) {
  Answers a = ReadOk(
      "[Setup]\r\n"
      "Dir=C:\\PROGRAM FILES\\APP\r\n"
      "ask1=Ada\r\n"
      "ASK3 = \"  padded  \"\r\n"
      "Ask5=\r\n"
      "Choices=10 20,21 ,  30\r\n"
      "Overwrite=yes\r\n"
      "Modify=NO\r\n"
      "Restart=Yes\r\n"
      "Disk.2=D:\\DISK2\r\n"
      "disk.10=\\\\server\\share\\disk10");
  EXPECT_EQ(a.dir, "C:\\PROGRAM FILES\\APP");
  EXPECT_EQ(a.ask[0], "Ada");
  EXPECT_FALSE(a.ask[1].has_value());
  EXPECT_EQ(a.ask[2], "  padded  ");
  EXPECT_EQ(a.ask[4], "") << "an empty answer is an answer, not the default";
  ASSERT_TRUE(a.choices.has_value());
  EXPECT_EQ(*a.choices, (std::vector<int32_t>{10, 20, 21, 30}));
  EXPECT_TRUE(a.overwrite);
  EXPECT_FALSE(a.modify);
  EXPECT_TRUE(a.restart);
  EXPECT_EQ(a.disks.size(), 2u);
  EXPECT_EQ(a.disks[2], "D:\\DISK2");
  EXPECT_EQ(a.disks[10], "\\\\server\\share\\disk10");
}

TEST(AnswersFileTest, AnEmptyChoiceListSelectsNothing) {
  Answers a = ReadOk("[Setup]\nChoices=\n");
  ASSERT_TRUE(a.choices.has_value());
  EXPECT_TRUE(a.choices->empty());
}

TEST(AnswersFileTest, ValuesKeepEqualsSignsAndInnerQuotes) {
  Answers a = ReadOk("[Setup]\nAsk1=a=b\nAsk2=\"say \"hi\"\"\n");
  EXPECT_EQ(a.ask[0], "a=b");
  EXPECT_EQ(a.ask[1], "say \"hi\"");
}

TEST(AnswersFileTest, TextsUpToTheEnginesCapacityAreTakenLongerOnesRefused) {
  std::string path(999, 'p'), answer(497, 'a');
  Answers a = ReadOk("[Setup]\nDir=" + path + "\nAsk1=" + answer + "\nDisk.1=" + path + "\n");
  EXPECT_EQ(a.dir->size(), 999u);
  EXPECT_EQ(a.ask[0]->size(), 497u);
  for (const std::string& line : {"Dir=" + path + "p", "Ask2=" + answer + "a", "Disk.3=" + path + "p"}) {
    Answers b;
    AnswersResult r = ReadAnswers("[Setup]\n" + line + "\n", &b);
    EXPECT_EQ(r.status, AnswersStatus::kValueTooLong) << line.substr(0, 6);
    EXPECT_EQ(r.line, 2);
  }
}

// One minimal file per error, with the line and the name the message gives.
TEST(AnswersFileTest, EachErrorNamesItsLine) {
  struct Case {
    std::string text;
    AnswersStatus status;
    int32_t line;
    std::string message;
  };
  const std::vector<Case> cases = {
      {"Dir=C:\\X\n", AnswersStatus::kNoSection, 1, "line 1: a key before the section [Setup]: Dir"},
      {"[Setup]\n[Other]\n", AnswersStatus::kUnknownSection, 2, "line 2: unknown section: Other"},
      {"[Other]\n", AnswersStatus::kUnknownSection, 1, "line 1: unknown section: Other"},
      {"[Setup]\n[Setup]\n", AnswersStatus::kUnknownSection, 2, "line 2: unknown section: Setup"},
      {"[Setup\n", AnswersStatus::kBadSectionLine, 1, "line 1: a section line that is not [NAME]: [Setup"},
      {"[Setup]\n\nDir C:\\X\n", AnswersStatus::kNoEquals, 3, "line 3: not a line NAME=VALUE: Dir C:\\X"},
      {"[Setup]\r\nDir=C:\\X\r\nSilent=Yes\r\n", AnswersStatus::kUnknownKey, 3, "line 3: unknown key: Silent"},
      {"[Setup]\nAsk6=x\n", AnswersStatus::kUnknownKey, 2, "line 2: unknown key: Ask6"},
      {"[Setup]\nAsk0=x\n", AnswersStatus::kUnknownKey, 2, "line 2: unknown key: Ask0"},
      {"[Setup]\n=x\n", AnswersStatus::kUnknownKey, 2, "line 2: unknown key"},
      {"[Setup]\nDir=a\ndir=b\n", AnswersStatus::kDuplicateKey, 3, "line 3: a key given twice: dir"},
      {"[Setup]\nDisk.1=a\nDisk.01=b\n", AnswersStatus::kDuplicateKey, 3, "line 3: a key given twice: Disk.01"},
      {"[Setup]\nOverwrite=y\n", AnswersStatus::kBadYesNo, 2, "line 2: the value is not Yes or No: Overwrite"},
      {"[Setup]\nModify=\n", AnswersStatus::kBadYesNo, 2, "line 2: the value is not Yes or No: Modify"},
      {"[Setup]\nRestart=1\n", AnswersStatus::kBadYesNo, 2, "line 2: the value is not Yes or No: Restart"},
      {"[Setup]\nChoices=10 x\n", AnswersStatus::kBadChoice, 2,
       "line 2: a choice that is not a number from 1 to 999: Choices"},
      {"[Setup]\nChoices=0\n", AnswersStatus::kBadChoice, 2,
       "line 2: a choice that is not a number from 1 to 999: Choices"},
      {"[Setup]\nChoices=1000\n", AnswersStatus::kBadChoice, 2,
       "line 2: a choice that is not a number from 1 to 999: Choices"},
      {"[Setup]\nChoices=-5\n", AnswersStatus::kBadChoice, 2,
       "line 2: a choice that is not a number from 1 to 999: Choices"},
      {"[Setup]\nDisk.0=a\n", AnswersStatus::kBadDiskNumber, 2, "line 2: a disk number that is not from 1 to 99: Disk.0"},
      {"[Setup]\nDisk.100=a\n", AnswersStatus::kBadDiskNumber, 2,
       "line 2: a disk number that is not from 1 to 99: Disk.100"},
      {"[Setup]\nDisk.=a\n", AnswersStatus::kBadDiskNumber, 2, "line 2: a disk number that is not from 1 to 99: Disk."},
      {"[Setup]\nDisk.x=a\n", AnswersStatus::kBadDiskNumber, 2, "line 2: a disk number that is not from 1 to 99: Disk.x"},
      {"[Setup]\nAsk1=\"open\n", AnswersStatus::kUnclosedQuote, 2, "line 2: a double quote that is not closed: Ask1"},
      {"[Setup]\nAsk1=\"\n", AnswersStatus::kUnclosedQuote, 2, "line 2: a double quote that is not closed: Ask1"},
      {std::string("[Setup]\nAsk1=a\0b\n", 16), AnswersStatus::kNulByte, 2, "line 2: a NUL byte"},
      {std::string(kAnswersFileLimit + 1, ';'), AnswersStatus::kTooLarge, 0, "the answers file is larger than 64 KB"},
  };
  for (const Case& c : cases) {
    Answers answers;
    AnswersResult r = ReadAnswers(c.text, &answers);
    EXPECT_EQ(r.status, c.status) << c.message;
    EXPECT_EQ(r.line, c.line) << c.message;
    EXPECT_EQ(r.Message(), c.message);
  }
}

TEST(AnswersFileTest, AFileAtTheSizeLimitIsRead) {
  std::string text = "[Setup]\n";
  text += std::string(kAnswersFileLimit - text.size(), ';');
  ReadOk(text);
}

}  // namespace
}  // namespace quorril
