// The ids of the engine's dialog resources (dialogs.rc) and of their
// controls. Plain macros, because the resource compiler reads this header
// too.
//
//   100  progress dialog: Cancel 2, upper text 101, bar frame 102, lower text 103
//   250  destination, directory on a fixed drive: input 204, prompt lines
//        301 and 302, drive root 305 (read-only), OK 1, Cancel 2
//   300  destination, drive for a fixed directory: input 204 (one letter),
//        prompt lines, directory 304 (read-only), OK, Cancel
//   350  destination, drive and directory: input 204, prompt lines, OK, Cancel
//   601  question: input 701, prompt lines, OK, Cancel
// A destination dialog's id is 200 + 50 x its ask mode.
#pragma once

#define QUORRIL_DIALOG_PROGRESS 100
#define QUORRIL_DIALOG_DESTINATION_DIRECTORY 250
#define QUORRIL_DIALOG_DESTINATION_DRIVE 300
#define QUORRIL_DIALOG_DESTINATION_PATH 350
#define QUORRIL_DIALOG_ASK 601

#define QUORRIL_ID_OK 1
#define QUORRIL_ID_CANCEL 2
#define QUORRIL_ID_PROGRESS_UPPER 101
#define QUORRIL_ID_PROGRESS_BAR 102
#define QUORRIL_ID_PROGRESS_LOWER 103
#define QUORRIL_ID_DESTINATION_INPUT 204
#define QUORRIL_ID_PROMPT_LINE1 301
#define QUORRIL_ID_PROMPT_LINE2 302
#define QUORRIL_ID_DESTINATION_DIRECTORY 304
#define QUORRIL_ID_DESTINATION_ROOT 305
#define QUORRIL_ID_ASK_INPUT 701
