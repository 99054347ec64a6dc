// The dialogs' decisions: prompt splitting, answers, destination candidates,
// the progress bar.
#include <gtest/gtest.h>

#include "screens/dialog_logic.h"

namespace quorril {
namespace {

PromptLines Prompt(int state, const std::string& text) {
  PromptLines p;
  p.state = state;
  p.text = text;
  return p;
}

TEST(SplitPromptTest, WrapsAtColumn45OnBlanksOrHard) {
  PromptLines exact = Prompt(1, std::string(45, 'a'));
  SplitPrompt(&exact, 0);
  EXPECT_EQ(exact.state, 1) << "45 characters stay on one line";

  PromptLines atBlank = Prompt(1, std::string(45, 'a') + "   tail");
  SplitPrompt(&atBlank, 0);
  EXPECT_EQ(atBlank.state, 2);
  EXPECT_EQ(atBlank.line1, std::string(45, 'a'));
  EXPECT_EQ(atBlank.line2, "tail") << "blanks after the split are skipped";

  PromptLines noBlank = Prompt(1, std::string(60, 'x'));
  SplitPrompt(&noBlank, 0);
  EXPECT_EQ(noBlank.line1.size(), 44u);
  EXPECT_EQ(noBlank.line2.size(), 16u);

  PromptLines words = Prompt(1, "Please enter the destination drive and directory:");
  SplitPrompt(&words, 3);
  EXPECT_EQ(words.line1, "Please enter the destination drive and");
  EXPECT_EQ(words.line2, "directory:");
  std::string s301, s302;
  PromptLineTexts(words, &s301, &s302);
  EXPECT_EQ(s301, "Please enter the destination drive and");
  EXPECT_EQ(s302, "directory:");
}

TEST(SplitPromptTest, MissingPromptTakesTheModeDefaultWhole) {
  PromptLines p;
  SplitPrompt(&p, 3);
  EXPECT_EQ(p.state, 1);
  std::string s301, s302;
  PromptLineTexts(p, &s301, &s302);
  EXPECT_EQ(s301, "");
  EXPECT_EQ(s302, "Please enter the destination drive and directory:") << "a default is not split";
  PromptLines ask;
  SplitPrompt(&ask, 0);
  EXPECT_EQ(ask.text, "");
  PromptLines one, two;
  SplitPrompt(&one, 1);
  SplitPrompt(&two, 2);
  EXPECT_EQ(one.text, "Please enter the destination directory:");
  EXPECT_EQ(two.text, "Please enter the destination drive:");
}

TEST(AnswerTest, LeadingDelimitersGoAndLongAnswersAreCut) {
  EXPECT_EQ(CleanAnswer("(, ) yes, sir"), "yes, sir");
  EXPECT_EQ(CleanAnswer("    "), "");
  EXPECT_EQ(CleanAnswer(std::string(600, 'z')).size(), 497u);
}

TEST(DestinationTest, FieldsPerAskMode) {
  DestinationFields m1 = DestinationFieldsFor("d:\\APPS\\X", 1);
  EXPECT_EQ(m1.readOnly, "D:\\");
  EXPECT_EQ(m1.input, "APPS\\X");
  EXPECT_EQ(DestinationFieldsFor("E:", 1).input, "");
  DestinationFields m2 = DestinationFieldsFor("C:\\NEWFILES", 2);
  EXPECT_EQ(m2.input, "C");
  EXPECT_EQ(m2.readOnly, ":\\NEWFILES");
  EXPECT_EQ(DestinationFieldsFor("C:\\NEWFILES", 3).input, "C:\\NEWFILES");
}

TEST(DestinationTest, CandidatesPerAskMode) {
  Candidate m1 = BuildCandidate("C:\\OLD", 1, "MY APP,X");
  EXPECT_EQ(m1.status, CandidateStatus::kAccept);
  EXPECT_EQ(m1.candidate, "C:\\MY") << "mode 1 cuts at a blank or a comma";

  EXPECT_EQ(BuildCandidate("C:\\NEWFILES", 2, "1").status, CandidateStatus::kBadDrive);
  Candidate m2 = BuildCandidate("C:\\NEWFILES", 2, "e");
  EXPECT_EQ(m2.candidate, "e:\\NEWFILES");

  Candidate m3 = BuildCandidate("", 3, "D:\\MY APP,REST");
  EXPECT_EQ(m3.candidate, "D:\\MY APP") << "mode 3 keeps blanks, cuts at a comma";
  EXPECT_EQ(BuildCandidate("", 3, "D").status, CandidateStatus::kAccept) << "a single letter is a candidate";
  EXPECT_EQ(BuildCandidate("", 3, "DX").status, CandidateStatus::kBadDrive);
  EXPECT_EQ(BuildCandidate("", 3, "D:X").status, CandidateStatus::kBadDrive);
  EXPECT_EQ(BuildCandidate("", 3, "1:\\").status, CandidateStatus::kBadDrive);
  EXPECT_EQ(BuildCandidate("", 4, "x").status, CandidateStatus::kEndAtOnce);
  EXPECT_EQ(BuildCandidate("", 7, "x").status, CandidateStatus::kBadMode);
}

TEST(DestinationTest, PathLongerThanTheCandidateBufferIsRefused) {
  std::string longPath = "C:\\" + std::string(124, 'd');
  EXPECT_EQ(BuildCandidate("", 3, longPath).status, CandidateStatus::kAccept);
  EXPECT_EQ(BuildCandidate("", 3, longPath + "d").status, CandidateStatus::kBadDirectory);
  EXPECT_EQ(BuildCandidate("C:\\X", 1, std::string(125, 'a')).status, CandidateStatus::kBadDirectory);
}

TEST(ProgressMeterTest, FileCountingCreepsByHalvesWithoutReachingTheNextFile) {
  ProgressMeter meter(4);
  meter.Initialise();
  meter.Advance(1, false, -1, 0);
  EXPECT_EQ(meter.Percent(), 25);
  int expected[] = {37, 43, 46, 47, 47};
  for (int e : expected) {
    meter.Advance(0, false, -1, 0);
    EXPECT_EQ(meter.Percent(), e);
  }
  meter.Advance(1, false, -1, 0);
  EXPECT_EQ(meter.Percent(), 50) << "a finished file resets the creep";
  meter.Initialise();
  EXPECT_EQ(meter.Percent(), 50) << "repositioning keeps the counters";
}

TEST(ProgressMeterTest, ByteModeIsLimitedTo100) {
  ProgressMeter meter(3);
  meter.Initialise();
  meter.Advance(0, false, 150, 149);
  EXPECT_EQ(meter.Percent(), 100);
  meter.Advance(0, false, 1000000, 250000);
  EXPECT_EQ(meter.Percent(), 25);
  meter.Advance(1, true, 1000000, 990000);
  EXPECT_EQ(meter.ItemsDone(), 1) << "an unknown size counts files";
  EXPECT_EQ(meter.Percent(), 33);
}

TEST(ProgressMeterTest, BarLayoutCentresTheTextOverTheFill) {
  BarLayout l = LayoutBar(10, 20, 210, 40, 50, 30, 10);
  EXPECT_EQ(l.fillRight, 110);
  EXPECT_EQ(l.textX, 95);
  EXPECT_EQ(l.textY, 25);
  EXPECT_EQ(LayoutBar(10, 20, 210, 40, 150, 30, 10).fillRight, 210);
  EXPECT_EQ(PercentText(5), "  5%");
  EXPECT_EQ(PercentText(100), "100%");
}

}  // namespace
}  // namespace quorril
