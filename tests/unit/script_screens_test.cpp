// The screens built from the script's text blocks, shown through the
// scripted screen surface: the first and last screen, the choice screens
// with their subordinate screens, the pop-up messages, the exit message,
// what the main window paints, and whole runs in which the choices decide
// what is installed.
#include <algorithm>

#include "platform/memory/scripted_screens.h"
#include "run_test_support.h"
#include "shell/script_screens.h"

namespace quorril::testing {
namespace {

constexpr const char* kNoAsk = "DEFAULTDIR C:\\APP NOASKDRIVE NOASKDIR";

// A dialog template read back.
struct ItemInfo {
  uint32_t style = 0;
  int16_t x = 0, y = 0, cx = 0, cy = 0;
  uint16_t id = 0;
  uint16_t atom = 0;
  std::string caption;
};
struct DialogInfo {
  uint32_t style = 0;
  uint16_t count = 0;
  int16_t cx = 0, cy = 0;
  uint16_t points = 0;
  std::string face;
  std::vector<ItemInfo> items;
};

class Reader {
 public:
  explicit Reader(const std::vector<uint8_t>& b) : b_(b) {}
  uint16_t W() {
    EXPECT_LE(at_ + 2, b_.size());
    if (at_ + 2 > b_.size()) return 0;
    uint16_t w = uint16_t(b_[at_] | (b_[at_ + 1] << 8));
    at_ += 2;
    return w;
  }
  uint32_t D() {
    uint32_t lo = W();
    return lo | (uint32_t(W()) << 16);
  }
  std::string S() {
    std::string s;
    for (uint16_t w = W(); w != 0 && at_ < b_.size(); w = W()) s.push_back(char(w));
    return s;
  }
  void Align() { at_ = (at_ + 3) & ~size_t(3); }

 private:
  const std::vector<uint8_t>& b_;
  size_t at_ = 0;
};

DialogInfo Decode(const std::vector<uint8_t>& bytes) {
  DialogInfo d;
  Reader r(bytes);
  d.style = r.D();
  r.D();
  d.count = r.W();
  r.W();
  r.W();
  d.cx = int16_t(r.W());
  d.cy = int16_t(r.W());
  r.W();  // menu
  r.W();  // class
  r.W();  // caption
  d.points = r.W();
  d.face = r.S();
  for (uint16_t i = 0; i < d.count; ++i) {
    r.Align();
    ItemInfo item;
    item.style = r.D();
    r.D();
    item.x = int16_t(r.W());
    item.y = int16_t(r.W());
    item.cx = int16_t(r.W());
    item.cy = int16_t(r.W());
    item.id = r.W();
    r.W();  // 0xFFFF
    item.atom = r.W();
    item.caption = r.S();
    r.W();  // creation data
    d.items.push_back(item);
  }
  return d;
}

// The captions of a dialog's items, in order.
std::vector<std::string> Captions(const std::vector<uint8_t>& bytes) {
  std::vector<std::string> out;
  for (const ItemInfo& item : Decode(bytes).items) out.push_back(item.caption);
  return out;
}

class ScreensTest : public RunTest {
 protected:
  ScriptedScreens surface;
  ScriptScreens screens{surface};

  // The first caption of each template dialog run, which names the screen.
  std::vector<std::string> Shown() const {
    std::vector<std::string> out;
    for (const std::vector<uint8_t>& d : surface.dialogs) {
      std::vector<std::string> captions = Captions(d);
      out.push_back(captions.empty() ? "" : captions[0]);
    }
    return out;
  }
  int32_t Slot(int number) const { return ctx.script.settings.itemNumberMap[size_t(number)]; }
  bool Chosen(int number) const {
    int32_t slot = Slot(number);
    return slot >= 0 && ctx.script.settings.itemChosen[size_t(slot)] != 0;
  }
};

// ---- first and last screen --------------------------------------------------------------

TEST_F(ScreensTest, TheFirstScreenIsMeasuredWithTheSurfaceFontAndReleasedAfterItWasShown) {
  // 8 pixels a character at a base unit of 8: a line of 60 characters is
  // 60 wide, measured in the face and size the template names.
  Script({"BEGINFIRSTSCREEN \"Arial\" 12", "Welcome", "", std::string(60, 'w'), "ENDFIRSTSCREEN", "BEGINLASTSCREEN",
          "Done", "ENDLASTSCREEN"});
  ASSERT_EQ(screens.ShowFirstScreen(ctx), kIdOk);
  ASSERT_EQ(surface.dialogs.size(), 1u);
  DialogInfo d = Decode(surface.dialogs[0]);
  EXPECT_EQ(d.style, 0x80400040u);
  EXPECT_EQ(d.face, "Arial");
  EXPECT_EQ(d.points, 12);
  EXPECT_EQ(d.cx, 4 * 60);
  EXPECT_EQ(surface.measuredIn, "Arial 12");
  EXPECT_EQ(surface.baseUnitOf, "Arial 12");
  EXPECT_EQ(d.cy, 8 * 4 + 16);
  ASSERT_EQ(d.items.size(), 4u);
  EXPECT_EQ(d.items[1].y, 16);  // the empty line counts
  EXPECT_EQ(d.items[2].caption, "OK");
  EXPECT_EQ(d.items[3].caption, "Cancel");
  EXPECT_EQ(d.items[3].id, 2);
  EXPECT_FALSE(ctx.script.model->firstScreen);
  EXPECT_TRUE(ctx.script.settings.screenBlockFontFace.empty());
  EXPECT_EQ(ctx.script.settings.screenBlockFontSize, 0);
  EXPECT_TRUE(surface.setups[0].checkBoxes.empty());

  // The last screen takes the script's dialog font; Cancel is the quit.
  surface.answers.push_back(ScriptedScreens::Cancel());
  EXPECT_EQ(screens.ShowLastScreen(ctx), kIdCancel);
  DialogInfo last = Decode(surface.dialogs[1]);
  EXPECT_EQ(last.face, "MS Sans Serif");
  EXPECT_EQ(last.points, 10);
  EXPECT_EQ(last.cx, 160);  // at least 40 columns
  EXPECT_FALSE(ctx.script.model->lastScreen);
}

TEST_F(ScreensTest, TheButtonsTakeTheScriptsTexts) {
  Script({"OKPROMPT \"Go\"", "CANCELPROMPT \"Stop\"", "BEGINFIRSTSCREEN", "Hello", "ENDFIRSTSCREEN"});
  screens.ShowFirstScreen(ctx);
  ASSERT_EQ(surface.dialogs.size(), 1u);
  EXPECT_EQ(Captions(surface.dialogs[0]), (std::vector<std::string>{"Hello", "Go", "Stop"}));
}

// ---- choice screens ---------------------------------------------------------------------

// A top-level group with three choices and subordinate groups, one of them
// for an unknown number; the group of 20 comes before that of 10.
const std::initializer_list<std::string> kGroups = {
    "BEGINGROUP",         "  Main",          "10 [X] Program", "20 [ ] Samples", "30 [ ] Tools", "ENDGROUP",
    "BEGINGROUP 20",      "  Samples group", "21 [X] Basic",   "22 [ ] Extra",   "ENDGROUP",     "BEGINGROUP 10",
    "  Program group",    "11 [ ] Docs",     "ENDGROUP",       "BEGINGROUP 77",  "  Never",      "78 [X] Never",
    "ENDGROUP",           "BEGINGROUP 10",   "  Program more", "12 [ ] Help",    "ENDGROUP"};

TEST_F(ScreensTest, SubordinateScreensFollowTheSelectedChoicesInSlotOrder) {
  Script(kGroups);
  // Main: Program and Samples; then the two groups of 10 in script order,
  // then the group of 20.
  surface.answers = {ScriptedScreens::Check({100, 101}), ScriptedScreens::Check({100}),
                     ScriptedScreens::Check({100}), ScriptedScreens::Check({101})};
  ASSERT_EQ(screens.RunGroupScreens(ctx), kIdOk);
  EXPECT_EQ(Shown(), (std::vector<std::string>{"Main", "Program group", "Program more", "Samples group"}));
  // The main group's preset check box; a subordinate group's own preset.
  EXPECT_EQ(surface.setups[0].checkBoxes, (std::vector<int>{100}));
  EXPECT_TRUE(surface.setups[1].checkBoxes.empty());
  EXPECT_EQ(surface.setups[3].checkBoxes, (std::vector<int>{100}));
  EXPECT_TRUE(Chosen(10));
  EXPECT_TRUE(Chosen(20));
  EXPECT_FALSE(Chosen(30));
  EXPECT_TRUE(Chosen(11));
  EXPECT_TRUE(Chosen(12));
  EXPECT_FALSE(Chosen(21));
  EXPECT_TRUE(Chosen(22));
  EXPECT_FALSE(Chosen(78));
  EXPECT_TRUE(ctx.script.model->groupSelected);
  // Check boxes stand two columns left of their marker; text lines lose the
  // number columns.
  DialogInfo main = Decode(surface.dialogs[0]);
  EXPECT_EQ(main.items[0].caption, "Main");
  EXPECT_EQ(main.items[1].style, 0x50010003u);
  EXPECT_EQ(main.items[1].x, 4);
  EXPECT_EQ(main.items[1].caption, " Program");
}

TEST_F(ScreensTest, ASubordinateScreenOfAChoiceNotSelectedIsNeverShown) {
  Script(kGroups);
  surface.answers = {ScriptedScreens::Check({101}), ScriptedScreens::Check({100})};
  ASSERT_EQ(screens.RunGroupScreens(ctx), kIdOk);
  EXPECT_EQ(Shown(), (std::vector<std::string>{"Main", "Samples group"}));
  EXPECT_FALSE(Chosen(10));
  EXPECT_TRUE(Chosen(20));
  EXPECT_TRUE(Chosen(21));
}

TEST_F(ScreensTest, OkWithNothingCheckedKeepsTheScreenOpen) {
  Script({"BEGINGROUP", "10 [X] Program", "20 [ ] Samples", "ENDGROUP"});
  surface.answers = {ScriptedScreens::Check({}), ScriptedScreens::Check({101})};
  ASSERT_EQ(screens.RunGroupScreens(ctx), kIdOk);
  EXPECT_EQ(surface.dialogs.size(), 1u);
  EXPECT_EQ(Boxes(), (std::vector<std::string>{" |No group is selected."}));
  EXPECT_EQ(ui.boxes[0].style, uint32_t(kMbOk | kMbIconWarning));
  EXPECT_TRUE(ui.boxes[0].owned);
  EXPECT_FALSE(Chosen(10));
  EXPECT_TRUE(Chosen(20));

  // Nothing checked, then Cancel: the choice screens end with 2.
  ui.boxes.clear();
  ctx.script.model->groupSelected = false;
  surface.answers = {ScriptedScreens::Check({}), ScriptedScreens::Cancel()};
  EXPECT_EQ(screens.RunGroupScreens(ctx), kIdCancel);
  EXPECT_EQ(Boxes().size(), 1u);
  EXPECT_FALSE(ctx.script.model->groupSelected);
}

TEST_F(ScreensTest, CancelOnAnyChoiceScreenEndsTheChoiceScreens) {
  Script(kGroups);
  surface.answers = {ScriptedScreens::Cancel()};
  EXPECT_EQ(screens.RunGroupScreens(ctx), kIdCancel);
  EXPECT_EQ(Shown(), (std::vector<std::string>{"Main"}));

  surface.dialogs.clear();
  surface.answers = {ScriptedScreens::Check({100, 101}), ScriptedScreens::Cancel()};
  EXPECT_EQ(screens.RunGroupScreens(ctx), kIdCancel);
  EXPECT_EQ(Shown(), (std::vector<std::string>{"Main", "Program group"}));
}

TEST_F(ScreensTest, ExclusiveGroupsCheckTheirFirstPresetRadioOverAllRadiosSoFar) {
  Script({"BEGINGROUP EXCLUSIVE", "  Pick one", "10 [ ] Small", "20 [X] Medium", "30 [X] Large", "ENDGROUP",
          "BEGINGROUP EXCLUSIVE 20", "  Medium how", "21 [ ] Lean", "22 [X] Full", "ENDGROUP"});
  surface.answers = {ScriptedScreens::Check({101}), ScriptedScreens::Check({100})};
  ASSERT_EQ(screens.RunGroupScreens(ctx), kIdOk);
  ASSERT_EQ(surface.setups.size(), 2u);
  EXPECT_TRUE(surface.setups[0].checkBoxes.empty());
  EXPECT_EQ(surface.setups[0].radioChecked, 101);
  EXPECT_EQ(surface.setups[0].radioFirst, 100);
  EXPECT_EQ(surface.setups[0].radioLast, 103);
  // The second group's radios come after the first's: five so far.
  EXPECT_EQ(surface.setups[1].radioChecked, 101);
  EXPECT_EQ(surface.setups[1].radioLast, 105);
  // Only the first radio of the script opens a group.
  DialogInfo first = Decode(surface.dialogs[0]);
  DialogInfo second = Decode(surface.dialogs[1]);
  EXPECT_EQ(first.items[1].style, 0x50030009u);
  EXPECT_EQ(first.items[2].style, 0x50010009u);
  EXPECT_EQ(second.items[1].style, 0x50010009u);
  EXPECT_EQ(first.cy, 10 * 4 + 19);
  EXPECT_FALSE(Chosen(10));
  EXPECT_TRUE(Chosen(20));
  EXPECT_FALSE(Chosen(30));
  EXPECT_TRUE(Chosen(21));
  EXPECT_FALSE(Chosen(22));
}

TEST_F(ScreensTest, ButtonIdsMapToTheGroupsOwnSlotsWhereverTheTopLevelGroupStands) {
  // A subordinate group read first takes slots 0 and 1; the top-level
  // group's buttons are its own slots 2 and 3.
  Script({"BEGINGROUP 20", "  Sub", "21 [X] A", "22 [ ] B", "ENDGROUP", "BEGINGROUP", "  Main", "10 [ ] Ten",
          "20 [X] Twenty", "ENDGROUP"});
  ASSERT_EQ(Slot(20), 3);
  // OK on the initial state: Twenty, then A in the subordinate screen.
  ASSERT_EQ(screens.RunGroupScreens(ctx), kIdOk);
  EXPECT_EQ(surface.setups[0].checkBoxes, (std::vector<int>{101}));
  EXPECT_EQ(Shown(), (std::vector<std::string>{"Main", "Sub"}));
  EXPECT_FALSE(Chosen(10));
  EXPECT_TRUE(Chosen(20));
  EXPECT_TRUE(Chosen(21));
  EXPECT_FALSE(Chosen(22));
}

TEST_F(ScreensTest, ATwiceUsedNumberBelongsToItsLaterLine) {
  Script({"BEGINGROUP", "  Main", "10 [ ] First", "10 [ ] Again", "ENDGROUP", "BEGINGROUP 10", "  Sub of ten",
          "11 [X] x", "ENDGROUP"});
  // The earlier line's slot has no number left: its choice shows nothing.
  surface.answers = {ScriptedScreens::Check({100})};
  ASSERT_EQ(screens.RunGroupScreens(ctx), kIdOk);
  EXPECT_EQ(Shown(), (std::vector<std::string>{"Main"}));
  surface.dialogs.clear();
  surface.answers = {ScriptedScreens::Check({101})};
  ASSERT_EQ(screens.RunGroupScreens(ctx), kIdOk);
  EXPECT_EQ(Shown(), (std::vector<std::string>{"Main", "Sub of ten"}));
}

TEST_F(ScreensTest, WithoutATopLevelGroupNoChoiceScreenIsShown) {
  Script({"BEGINGROUP 10", "  Sub", "11 [X] x", "ENDGROUP"});
  EXPECT_EQ(screens.RunGroupScreens(ctx), kIdOk);
  EXPECT_TRUE(surface.dialogs.empty());
}

TEST_F(ScreensTest, AGroupWithoutChoicesGoesOnWithNothingSelected) {
  Script({"BEGINGROUP", "  Just text", "ENDGROUP"});
  EXPECT_EQ(screens.RunGroupScreens(ctx), kIdOk);
  EXPECT_EQ(surface.dialogs.size(), 1u);
  EXPECT_TRUE(ui.boxes.empty());
  EXPECT_FALSE(ctx.script.model->groupSelected);
}

// ---- pop-up messages --------------------------------------------------------------------

TEST_F(ScreensTest, PopupsAreFoundByNumberSkippingEmptyOnesAndKeptForReuse) {
  Script({"POPMESSAGE 1", "  ", "ENDPOP", "POPMESSAGE 1 \"Courier\" 9", "Copying the program", "", "please wait",
          "ENDPOP", "POPMESSAGE 2", "Second", "ENDPOP", "POPMESSAGE 0", "Zero", "ENDPOP", "POPMESSAGE 3", "ENDPOP"});
  // Nothing on screen: KeepProgressInFront and ClosePopup do nothing.
  screens.KeepProgressInFront(ctx);
  screens.ClosePopup(ctx);
  EXPECT_TRUE(surface.log.empty());

  screens.ShowPopup(ctx, 1);
  ASSERT_FALSE(surface.popup.empty());
  DialogInfo p = Decode(surface.popup);
  EXPECT_EQ(p.style, 0x90400040u);
  EXPECT_EQ(p.face, "Courier");
  EXPECT_EQ(p.points, 9);
  EXPECT_EQ(p.cy, 24);
  EXPECT_EQ(Captions(surface.popup), (std::vector<std::string>{"Copying the program", "please wait"}));
  EXPECT_EQ(p.items[1].y, 16);
  std::vector<uint8_t> first = surface.popup;

  // A number no POPMESSAGE defines, one whose text is empty, and 0 leave
  // the pop-up on screen.
  size_t logged = surface.log.size();
  screens.ShowPopup(ctx, 9);
  screens.ShowPopup(ctx, 3);
  screens.ShowPopup(ctx, 0);
  EXPECT_EQ(surface.log.size(), logged);
  EXPECT_EQ(surface.popup, first);

  screens.ShowPopup(ctx, 2);
  EXPECT_EQ(Captions(surface.popup), (std::vector<std::string>{"Second"}));
  screens.ShowPopup(ctx, 1);
  EXPECT_EQ(surface.popup, first);
  screens.KeepProgressInFront(ctx);
  screens.ClosePopup(ctx);
  EXPECT_TRUE(surface.popup.empty());
  EXPECT_EQ(screens.PopupShown(), -1);
  EXPECT_EQ(std::count(surface.log.begin(), surface.log.end(), "progress-front"), 1);
}

// ---- exit message -----------------------------------------------------------------------

TEST_F(ScreensTest, TheExitMessageHasOnlyOkCentredAndIsShownOnce) {
  files.AddFile(kScriptPath, Lines({"TITLE \"x\"", "EXITMESSAGE", "This package needs Windows 95.", "",
                                    "Exit now, please.", "FILE never.txt"}));
  CreateInstallScript(ctx.script, files, machine);
  ASSERT_EQ(ParseScript(ctx.ForScript(), kScriptPath), 1);
  ASSERT_EQ(ctx.script.parser.failure, ParseFailure::kExitMessage);
  ShowExitMessage(ctx, surface);
  ASSERT_EQ(surface.dialogs.size(), 1u);
  DialogInfo d = Decode(surface.dialogs[0]);
  EXPECT_EQ(d.count, 2);  // the text, then OK ("Exit now" ended it)
  ASSERT_EQ(d.items.size(), 2u);
  EXPECT_EQ(d.items[0].caption, "This package needs Windows 95.");
  EXPECT_EQ(d.items[1].id, 1);
  EXPECT_EQ(d.items[1].x, 2 * 40 - 20);
  EXPECT_EQ(d.cy, 8 * 2 + 16);
  EXPECT_FALSE(ctx.script.model->exitMessage);
  ShowExitMessage(ctx, surface);
  EXPECT_EQ(surface.dialogs.size(), 1u);
}

// ---- what the main window paints ----------------------------------------------------

// A 2 x 1 bitmap of `colours` palette entries at 8 bits a pixel.
std::string Bitmap8(uint32_t colours) {
  std::string f = "BM";
  auto w = [&](uint32_t v, int n) {
    for (int i = 0; i < n; ++i) f.push_back(char(v >> (8 * i)));
  };
  w(0, 4);
  w(0, 4);
  w(14 + 40 + 4 * colours, 4);
  w(40, 4);
  w(2, 4);
  w(1, 4);
  w(1, 2);
  w(8, 2);
  w(0, 4);
  w(0, 4);
  w(0, 4);
  w(0, 4);
  w(colours, 4);
  w(0, 4);
  for (uint32_t i = 0; i < colours; ++i) w(i * 0x010101u, 4);
  w(0x0201, 4);  // two pixels, padded row
  return f;
}

TEST_F(ScreensTest, TheAppearanceCarriesTitleColoursAndTheGraphicAtItsPosition) {
  files.AddFile("C:\\SETUP\\logo.bmp", Bitmap8(256));
  Script({"TITLE: \"My App\" \"Times New Roman\" Italic Bold 24", "TITLECOLOR: (1, 2, 3)", "SCREENCOLOR: Red, Green",
          "SCREENGRAPHIC logo.bmp BOTTOMRIGHT"});
  ScreenAppearance a = AppearanceOf(ctx);
  EXPECT_EQ(a.title, "My App");
  EXPECT_EQ(a.titleFace, "Times New Roman");
  EXPECT_TRUE(a.titleBold);
  EXPECT_TRUE(a.titleItalic);
  EXPECT_FALSE(a.titleUnderline);
  EXPECT_EQ(a.titleSize, 24);
  EXPECT_EQ(a.titleColour.red, 1);
  EXPECT_EQ(a.titleColour.blue, 3);
  EXPECT_EQ(a.colour1.red, ctx.script.model->screenColour1.red);
  EXPECT_EQ(a.colour2.green, ctx.script.model->screenColour2.green);
  EXPECT_EQ(a.graphic.position, 5);
  EXPECT_EQ(a.graphic.width, 2);
  EXPECT_EQ(a.graphic.height, 1);
  EXPECT_EQ(a.graphic.bits.size(), 4u);
  EXPECT_EQ(a.graphic.info.size(), 40u + 4 * 256);
  EXPECT_TRUE(a.graphic.needsPalette);
  EXPECT_EQ(a.graphic.paletteColours.size(), 256u);
  EXPECT_EQ(a.graphic.paletteColours[2].green, 2);
  EXPECT_EQ(a.graphic.paletteIndexInfo.size(), 40u + 2 * 256);
  EXPECT_FALSE(a.graphic.Empty());
}

TEST_F(ScreensTest, ASmallPaletteNeedsNoPaletteAndAMissingGraphicIsEmpty) {
  files.AddFile("C:\\SETUP\\small.bmp", Bitmap8(16));
  Script({"SCREENGRAPHIC small.bmp"});
  ScreenAppearance a = AppearanceOf(ctx);
  EXPECT_FALSE(a.graphic.Empty());
  EXPECT_EQ(a.graphic.position, 0);
  EXPECT_FALSE(a.graphic.needsPalette);
  EXPECT_TRUE(a.graphic.paletteIndexInfo.empty());

  Script({"SCREENGRAPHIC missing.bmp TILE"});
  a = AppearanceOf(ctx);
  EXPECT_TRUE(a.graphic.Empty());
  // The defaults: blue to black, the title in light blue, Arial.
  EXPECT_EQ(a.colour1.blue, 255);
  EXPECT_EQ(a.colour2.blue, 0);
  EXPECT_EQ(a.titleFace, "Arial");
  EXPECT_EQ(a.titleColour.red, 128);
}

TEST_F(ScreensTest, TheIntroScreenHasItsImageAndTime) {
  Script({"TITLE \"x\""});
  BitmapData image;
  int32_t seconds = -1;
  EXPECT_FALSE(IntroImage(ctx, &image, &seconds));

  files.AddFile("C:\\SETUP\\intro.bmp", Bitmap8(2));
  Script({"INTROSCREEN intro.bmp 5"});
  ASSERT_TRUE(IntroImage(ctx, &image, &seconds));
  EXPECT_EQ(seconds, 5);
  EXPECT_EQ(image.width, 2);
  EXPECT_FALSE(image.Empty());

  // A file that is no bitmap still makes an intro screen, which shows
  // nothing and waits for the user.
  files.AddFile("C:\\SETUP\\bad.bmp", "not a bitmap");
  Script({"INTROSCREEN bad.bmp"});
  ASSERT_TRUE(IntroImage(ctx, &image, &seconds));
  EXPECT_TRUE(image.Empty());
  EXPECT_EQ(seconds, 0);
}

// ---- whole runs -----------------------------------------------------------------------

TEST_F(ScreensTest, TheChoicesDecideThroughIfGroupBlocksWhichFilesAreInstalled) {
  for (const char* f : {"prog.exe", "sample.txt", "tool.exe", "always.txt", "docs.txt"}) Source(f);
  Script({"UNINSTALL YES", kNoAsk, "BEGINFIRSTSCREEN", "Welcome", "ENDFIRSTSCREEN", "BEGINGROUP", "  Choose",
          "10 [X] Program", "20 [ ] Samples", "30 [X] Tools", "ENDGROUP", "BEGINGROUP 10", "  Program parts",
          "11 [X] Docs", "ENDGROUP", "POPMESSAGE 1", "Copying", "ENDPOP", "FILE always.txt POPID=1",
          "IF GROUP=10", "FILE prog.exe", "ENDIF", "IF GROUP=20", "FILE sample.txt", "ENDIF", "FILE tool.exe GROUP=30",
          "IF GROUP=11", "FILE docs.txt", "ENDIF", "BEGINLASTSCREEN", "Finished", "ENDLASTSCREEN"});
  // First screen OK; Program and Samples; Docs left as preset.
  surface.answers = {ScriptedScreens::Check({}), ScriptedScreens::Check({100, 101}), ScriptedScreens::Check({100})};
  ASSERT_EQ(Install(&screens), 0);
  EXPECT_EQ(Shown(), (std::vector<std::string>{"Welcome", "Choose", "Program parts", "Finished"}));
  EXPECT_TRUE(files.Exists("C:\\APP\\always.txt"));
  EXPECT_TRUE(files.Exists("C:\\APP\\prog.exe"));
  EXPECT_TRUE(files.Exists("C:\\APP\\sample.txt"));
  EXPECT_TRUE(files.Exists("C:\\APP\\docs.txt"));
  EXPECT_FALSE(files.Exists("C:\\APP\\tool.exe"));
  // The pop-up was shown for its file and closed at the end of the files.
  EXPECT_EQ(surface.log.back(), "dialog:" + std::to_string(surface.dialogs.back().size()));
  EXPECT_NE(std::find(surface.log.begin(), surface.log.end(), "popup-closed"), surface.log.end());
  EXPECT_TRUE(surface.popup.empty());
}

TEST_F(ScreensTest, AnotherChoiceInstallsOtherFiles) {
  for (const char* f : {"prog.exe", "sample.txt", "tool.exe"}) Source(f);
  Script({kNoAsk, "BEGINGROUP", "10 [X] Program", "20 [ ] Samples", "30 [X] Tools", "ENDGROUP", "IF GROUP=10",
          "FILE prog.exe", "ENDIF", "IF GROUP=20", "FILE sample.txt", "ENDIF", "FILE tool.exe GROUP=30"});
  surface.answers = {ScriptedScreens::Check({102})};
  ASSERT_EQ(Install(&screens), 0);
  EXPECT_FALSE(files.Exists("C:\\APP\\prog.exe"));
  EXPECT_FALSE(files.Exists("C:\\APP\\sample.txt"));
  EXPECT_TRUE(files.Exists("C:\\APP\\tool.exe"));
}

TEST_F(ScreensTest, AFirstScreenCancelledInstallsNothing) {
  Source("a.txt");
  Script({"UNINSTALL YES", kNoAsk, "BEGINFIRSTSCREEN", "Welcome", "ENDFIRSTSCREEN", "BEGINGROUP", "10 [X] A",
          "ENDGROUP", "FILE a.txt", "SHOWREADME a.txt"});
  surface.answers = {ScriptedScreens::Cancel()};
  EXPECT_EQ(Install(&screens), 1);
  EXPECT_EQ(surface.dialogs.size(), 1u);
  EXPECT_FALSE(files.Exists("C:\\APP\\a.txt"));
  EXPECT_EQ(Journal(), "<none>");
  EXPECT_EQ(ctx.script.model->readmeFile, "");
}

TEST_F(ScreensTest, ALastScreenCancelledKeepsTheFilesButSkipsDeletionsReadmeAndPrograms) {
  Source("a.txt");
  files.AddDirectory("C:\\APP");
  files.AddFile("C:\\APP\\old.txt", "x");
  Script({"UNINSTALL YES", kNoAsk, "FILE a.txt", "DELETE old.txt", "SHOWREADME a.txt", "RUNATEXIT \"app.exe\"",
          "REBOOTWINDOWS", "BEGINLASTSCREEN", "All done", "ENDLASTSCREEN"});
  surface.answers = {ScriptedScreens::Cancel()};
  EXPECT_EQ(Install(&screens), 1);
  EXPECT_EQ(Shown(), (std::vector<std::string>{"All done"}));
  EXPECT_TRUE(files.Exists("C:\\APP\\a.txt"));
  EXPECT_TRUE(files.Exists("C:\\APP\\old.txt"));
  EXPECT_EQ(ctx.script.model->readmeFile, "");
  EXPECT_TRUE(ctx.script.model->exitCommands[0].Empty());
  EXPECT_EQ(run->RebootRequest(), RebootMode::kNone);
}

}  // namespace
}  // namespace quorril::testing
