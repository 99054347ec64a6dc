// The exit phase: what the engine does after the message loop has ended,
// before the clean-up of start-up (ExitCleanup).
//
// RunExitPhase() shows the read-me in notepad, starts the RUNATEXIT
// programs, asks whether to restart when a restart was requested and
// restarts. HandOverUninstaller() then leaves the package's uninstaller in
// the Windows directory when the installation keeps a journal.
//
// Both only act on a run whose installation phase has run: the run
// sequence empties the read-me and the RUNATEXIT command lines and clears
// the reboot request when it stopped, so after a stop nothing is started
// and nothing is restarted. Programs are started with the process port's
// Start (WinExec, shown); their success is not checked and nothing is
// reported, and no failure of the hand-over is reported either.
#pragma once

#include <cstdint>
#include <string>

#include "model/script_model.h"

namespace quorril {

class SetupContext;

// Read-me, programs at exit, the reboot question and the restart.
// `rebootRequest` is the run's. An unattended installation passes
// `showReadme` false: nobody is there to read it, and notepad would stay
// open on the machine.
void RunExitPhase(SetupContext& ctx, RebootMode rebootRequest, bool showReadme = true);

// Copies $DEFAULTDIR$\unstall.exe to the Windows directory, replacing a
// file of that name, when the journal is on (UNINSTALL: YES).
void HandOverUninstaller(SetupContext& ctx);

// ---- pieces of the exit phase ---------------------------------------------------

// "notepad " and the read-me's path, or "" when the script names none. The
// name's variables are expanded; $DEFAULTDIR$ and "\" go in front unless
// it begins with "\", has ":" as its second character, or begins with a
// double quote followed by "\" or by one character and ":".
std::string ReadmeCommandLine(SetupContext& ctx);

// REBOOTPROMPT with Yes and No; true when the restart is to be made.
bool ConfirmReboot(SetupContext& ctx);

// True when the restart must first enable the shutdown privilege, for the
// GetVersion value `version`: every Windows from 3.5 on (the Windows NT
// family and its successors refuse a restart without it).
bool RestartNeedsPrivilege(uint32_t version);

// Deletes the relaunch's "~0000.bat" and "~0000.pif" in the temporary
// directory and restarts Windows.
void RestartWindows(SetupContext& ctx);

}  // namespace quorril
