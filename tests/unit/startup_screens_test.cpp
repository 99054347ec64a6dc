// Start-up with the script's screens: the painted window, the intro screen
// that starts the installation phase itself, and the exit message.
#include <gtest/gtest.h>

#include <string>

#include "platform/memory/memory_file_system.h"
#include "platform/memory/memory_machine.h"
#include "platform/memory/memory_profile.h"
#include "platform/memory/scripted_screens.h"
#include "shell/setup_context.h"
#include "shell/startup.h"

namespace quorril {
namespace {

// A 2 x 1 pixel, 24-bit bitmap file.
std::string TinyBitmap() {
  std::string bmp = "BM";
  auto put32 = [&bmp](uint32_t v) {
    for (int i = 0; i < 4; ++i) bmp += char((v >> (8 * i)) & 0xFF);
  };
  auto put16 = [&bmp](uint16_t v) {
    bmp += char(v & 0xFF);
    bmp += char(v >> 8);
  };
  put32(14 + 40 + 8);
  put32(0);
  put32(14 + 40);
  put32(40);
  put32(2);
  put32(1);
  put16(1);
  put16(24);
  put32(0);
  put32(8);
  put32(0);
  put32(0);
  put32(0);
  put32(0);
  bmp += std::string("\x00\x00\xFF\x00\xFF\x00\x00\x00", 8);
  return bmp;
}

class StartupScreensTest : public ::testing::Test {
 protected:
  StartupScreensTest() : ctx(Ports{&files, &machine, &process, &ui, &screens, &profile}) {
    files.AddDirectory("C:\\SETUP");
    files.AddDirectory("C:\\WINDOWS\\SYSTEM");
    files.AddDirectory("C:\\WINDOWS\\TEMP");
    machine.executablePath = "C:\\SETUP\\SETUP.EXE";
  }
  bool Run(const std::string& script) {
    files.AddFile("C:\\SETUP\\SETUP.cfg", script);
    return Startup(ctx, "", machine.executablePath);
  }

  MemoryFileSystem files;
  MemoryMachine machine;
  MemoryProcess process;
  ScriptedUserInterface ui;
  ScriptedScreens screens;
  MemoryProfile profile{files, machine};
  SetupContext ctx;
};

TEST_F(StartupScreensTest, TheWindowIsPaintedAsTheScriptSaysBeforeItIsShown) {
  ASSERT_TRUE(Run("TITLE \"Demo Setup\"\nSCREENCOLOR (10, 20, 30) White\n"));
  ASSERT_FALSE(screens.log.empty());
  EXPECT_EQ(screens.log.front(), "appearance:Demo Setup");
  EXPECT_EQ(screens.appearance.colour1.green, 20);
  EXPECT_EQ(screens.appearance.colour2.blue, 255);
  EXPECT_TRUE(ui.mainWindowShown);
  EXPECT_TRUE(ui.installPhasePosted) << "without an intro screen start-up posts the phase itself";
  EXPECT_FALSE(screens.introShown);
}

TEST_F(StartupScreensTest, AnIntroScreenStartsThePhaseWhenItCloses) {
  files.AddFile("C:\\SETUP\\INTRO.BMP", TinyBitmap());
  ASSERT_TRUE(Run("INTROSCREEN INTRO.BMP 3\n"));
  EXPECT_TRUE(screens.introShown);
  EXPECT_EQ(screens.log.back(), "intro:3");
  EXPECT_FALSE(ui.installPhasePosted) << "the intro window posts the phase message";
}

TEST_F(StartupScreensTest, AnExitMessageIsShownAndEndsTheRunWithoutASyntaxError) {
  EXPECT_FALSE(Run("IF winver < 9\nEXITMESSAGE\nThis program needs a newer Windows.\nEXIT\nENDIF\n"));
  ASSERT_EQ(screens.dialogs.size(), 1u) << "the exit message's own screen";
  EXPECT_TRUE(ui.boxes.empty()) << "no syntax-error message";
  EXPECT_FALSE(ui.mainWindowShown);
}

}  // namespace
}  // namespace quorril
