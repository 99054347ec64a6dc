// The answering user interface: which answer each kind of question takes,
// with and without an answers file, and what goes to its log.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "model/script_model.h"
#include "model/script_state.h"
#include "shell/answering_ui.h"

namespace quorril {
namespace {

class AnsweringUiTest : public ::testing::Test {
 protected:
  AnsweringUiTest() {
    script.prompts.Set(PromptId::kQuit, "Do you wish to quit?");
    script.prompts.Set(PromptId::kReboot, "Do you wish to reboot?");
    script.prompts.Set(PromptId::kFileExist, "File exists.  Overwrite ");
  }
  int Box(AnsweringUi& ui, const std::string& text, uint32_t style) {
    MessageBoxRequest request;
    request.text = text;
    request.style = style;
    return ui.ShowMessageBox(request);
  }
  ScriptState script;
};

TEST_F(AnsweringUiTest, EachYesNoQuestionTakesItsOwnAnswer) {
  struct Case {
    const char* answers;
    const char* question;
    int expected;
  };
  const std::vector<Case> cases = {
      {"", "File exists.  Overwrite C:\\APP\\A.TXT?", kIdNo},
      {"[Setup]\nOverwrite=Yes\n", "File exists.  Overwrite C:\\APP\\A.TXT?", kIdYes},
      {"[Setup]\nModify=No\n", "File exists.  Overwrite C:\\APP\\A.TXT?", kIdNo},
      {"", "Do you wish to reboot?", kIdNo},
      {"[Setup]\nRestart=Yes\n", "Do you wish to reboot?", kIdYes},
      {"[Setup]\nOverwrite=Yes\n", "Do you wish to reboot?", kIdNo},
      {"", "Modify AUTOEXEC.BAT?", kIdYes},
      {"[Setup]\nModify=No\n", "Modify your CONFIG.SYS?", kIdNo},
      {"[Setup]\nRestart=Yes\nOverwrite=Yes\n", "Change WIN.INI?", kIdYes},
      {"[Setup]\nModify=No\n", "Do you wish to quit?", kIdYes},
  };
  for (const Case& c : cases) {
    Answers answers;
    ASSERT_EQ(ReadAnswers(c.answers, &answers).status, AnswersStatus::kOk);
    AnsweringUi ui(answers);
    ui.SetScript(&script);
    EXPECT_EQ(Box(ui, c.question, kMbYesNo | kMbIconQuestion), c.expected) << c.answers << c.question;
    EXPECT_EQ(ui.Quit(), std::string(c.question) == "Do you wish to quit?");
    ASSERT_EQ(ui.Log().size(), 1u);
    EXPECT_EQ(ui.Log()[0], std::string("question: ") + c.question + (c.expected == kIdYes ? " Yes" : " No"));
  }
}

TEST_F(AnsweringUiTest, ARewordedOverwriteQuestionIsStillRecognised) {
  script.prompts.Set(PromptId::kFileExist, "Replace ");
  Answers answers;
  answers.overwrite = true;
  answers.modify = false;
  AnsweringUi ui(answers);
  ui.SetScript(&script);
  EXPECT_EQ(Box(ui, "Replace C:\\A?", kMbYesNo), kIdYes);
  EXPECT_EQ(Box(ui, "File exists.  Overwrite C:\\A?", kMbYesNo), kIdNo);
}

TEST_F(AnsweringUiTest, MessagesAreLoggedAndTheDiskQuestionIsCancelledWhenItComesBack) {
  Answers answers;
  AnsweringUi ui(answers);
  ui.SetScript(&script);
  EXPECT_EQ(Box(ui, "Please insert Disk 2", kMbOkCancel), kIdOk);
  EXPECT_EQ(Box(ui, "Please insert Disk 2", kMbOkCancel), kIdCancel);
  EXPECT_EQ(Box(ui, "Please insert Disk 3", kMbOkCancel), kIdOk);
  EXPECT_EQ(ui.LastMessage(), "");
  EXPECT_EQ(Box(ui, "Invalid directory.", kMbOk | kMbIconWarning), kIdOk);
  EXPECT_EQ(Box(ui, "Please insert Disk 3", kMbOkCancel), kIdOk) << "a message between: asked anew";
  EXPECT_EQ(ui.LastMessage(), "Invalid directory.");
  EXPECT_EQ(ui.Log(), (std::vector<std::string>{"question: Please insert Disk 2 OK",
                                                 "question: Please insert Disk 2 Cancel",
                                                 "question: Please insert Disk 3 OK", "message: Invalid directory.",
                                                 "question: Please insert Disk 3 OK"}));
}

TEST_F(AnsweringUiTest, TheQuestionAskedIsTheFirstAskRecordStillHeld) {
  script.model = std::make_unique<InstallScript>();
  script.model->asks[1] = std::make_unique<AskSpec>();
  script.model->asks[3] = std::make_unique<AskSpec>();
  Answers answers;
  answers.ask[3] = "four";
  AnsweringUi ui(answers);
  ui.SetScript(&script);
  std::string typed;
  EXPECT_EQ(ui.RunAskDialog(DialogPrompt(), "two by default", DialogTexts(), &typed), kIdOk);
  EXPECT_EQ(typed, "two by default");
  script.model->asks[1].reset();
  EXPECT_EQ(ui.RunAskDialog(DialogPrompt(), "four by default", DialogTexts(), &typed), kIdOk);
  EXPECT_EQ(typed, "four");
  EXPECT_EQ(ui.Log(), (std::vector<std::string>{"answer: ASK2 two by default", "answer: ASK4 four"}));
}

class Recorder : public DestinationChecker {
 public:
  bool accept = true;
  std::vector<std::string> typed;
  bool Accept(const std::string& t) override {
    typed.push_back(t);
    return accept;
  }
};

TEST_F(AnsweringUiTest, TheDestinationIsTypedAsEachAskModeTakesIt) {
  struct Case {
    int askMode;
    const char* dir;
    const char* typed;
  };
  const std::vector<Case> cases = {
      {3, "D:\\APPS\\X", "D:\\APPS\\X"},
      {1, "D:\\APPS\\X", "APPS\\X"},
      {2, "D:\\APPS\\X", "D"},
      {3, nullptr, "C:\\PROPOSED"},
  };
  for (const Case& c : cases) {
    script.model = std::make_unique<InstallScript>();
    script.model->defaultDir = std::make_unique<DirectorySpec>();
    script.model->defaultDir->askMode = c.askMode;
    Answers answers;
    if (c.dir) answers.dir = c.dir;
    AnsweringUi ui(answers);
    ui.SetScript(&script);
    Recorder checker;
    EXPECT_EQ(ui.RunDestinationDialog(DialogPrompt(), c.askMode, "C:\\PROPOSED", "", DialogTexts(), &checker), kIdOk);
    EXPECT_EQ(checker.typed, std::vector<std::string>{c.typed});
    // DIR2 and DIR3 take what they propose.
    checker.typed.clear();
    ui.RunDestinationDialog(DialogPrompt(), 3, "C:\\SECOND", "", DialogTexts(), &checker);
    EXPECT_EQ(checker.typed, std::vector<std::string>{"C:\\SECOND"});
  }
  Answers answers;
  AnsweringUi ui(answers);
  ui.SetScript(&script);
  Recorder refusing;
  refusing.accept = false;
  EXPECT_EQ(ui.RunDestinationDialog(DialogPrompt(), 3, "C:\\X", "", DialogTexts(), &refusing), kIdCancel);
  EXPECT_EQ(refusing.typed.size(), 1u) << "a refused path is not typed again";
}

}  // namespace
}  // namespace quorril
