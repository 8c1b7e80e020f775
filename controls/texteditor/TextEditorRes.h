// Resource ids of the text editor control.
#pragma once

// Descriptions of the edit actions that undo and redo name.
#define IDS_EDITOP_UNKNOWN 8619
#define IDS_EDITOP_PASTE 8620
#define IDS_EDITOP_DELSELECTION 8621
#define IDS_EDITOP_CUT 8622
#define IDS_EDITOP_DELETE 8623
#define IDS_EDITOP_TYPING 8624
#define IDS_EDITOP_BACKSPACE 8625
#define IDS_EDITOP_INDENT 8626
#define IDS_EDITOP_DRAGDROP 8627
#define IDS_EDITOP_REPLACE 8628
#define IDS_EDITOP_AUTOINDENT 8629
