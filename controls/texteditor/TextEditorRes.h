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

// The text view: its pointer shapes, margin icons and keys.
#define IDC_MARGIN_CURSOR 22900   // over the margin: whole lines are selected
#define IDR_TEXTVIEW_ACCEL 22901  // the view's keys
#define IDB_MARGIN_ICONS 22902    // 14 icons of 16 x 16 for the line flags, white transparent
#define IDC_HOTWORD_CURSOR 22903  // over a hot word of the control

// The Find dialog.
#define IDD_EDIT_FIND 8601
#define IDC_EDIT_WHOLE_WORD 8603
#define IDC_EDIT_MATCH_CASE 8604
#define IDC_EDIT_TEXT 8605
#define IDS_EDIT_TEXT_NOT_FOUND 8606
#define IDC_EDIT_DIRECTION_UP 8611
#define IDC_EDIT_DIRECTION_DOWN 8612

// The Replace dialog (it shares the find text, whole word and match case ids of the Find dialog).
#define IDD_EDIT_REPLACE 8602
#define IDC_EDIT_REPLACE 8607
#define IDC_EDIT_REPLACE_ALL 8608
#define IDC_EDIT_REPLACE_WITH 8609
#define IDC_EDIT_FIND_NEXT 8610
#define IDC_EDIT_SCOPE_SELECTION 8613
#define IDC_EDIT_SCOPE_WHOLE_FILE 8614

// The undo and redo menu texts: with the action's description, and without one.
#define IDS_MENU_UNDO_FORMAT 8615
#define IDS_MENU_REDO_FORMAT 8616
#define IDS_MENU_UNDO_DEFAULT 8617
#define IDS_MENU_REDO_DEFAULT 8618

// Editing commands of the edit view's keys.
#define ID_EDIT_DELETE 37000
#define ID_EDIT_DELETE_BACK 37001
#define ID_EDIT_DELETE_WORD_BACK 37002
#define ID_EDIT_TAB 37003
#define ID_EDIT_UNTAB 37004
#define ID_EDIT_SWITCH_OVRMODE 37005

// The view's moves; each odd id extends the selection of the even one before it.
#define ID_EDIT_CHAR_LEFT 37100
#define ID_EDIT_EXT_CHAR_LEFT 37101
#define ID_EDIT_CHAR_RIGHT 37102
#define ID_EDIT_EXT_CHAR_RIGHT 37103
#define ID_EDIT_WORD_LEFT 37104
#define ID_EDIT_EXT_WORD_LEFT 37105
#define ID_EDIT_WORD_RIGHT 37106
#define ID_EDIT_EXT_WORD_RIGHT 37107
#define ID_EDIT_LINE_UP 37108
#define ID_EDIT_EXT_LINE_UP 37109
#define ID_EDIT_LINE_DOWN 37110
#define ID_EDIT_EXT_LINE_DOWN 37111
#define ID_EDIT_SCROLL_UP 37112
#define ID_EDIT_SCROLL_DOWN 37113
#define ID_EDIT_PAGE_UP 37114
#define ID_EDIT_EXT_PAGE_UP 37115
#define ID_EDIT_PAGE_DOWN 37116
#define ID_EDIT_EXT_PAGE_DOWN 37117
#define ID_EDIT_LINE_END 37118
#define ID_EDIT_EXT_LINE_END 37119
#define ID_EDIT_HOME 37120
#define ID_EDIT_EXT_HOME 37121
#define ID_EDIT_TEXT_BEGIN 37122
#define ID_EDIT_EXT_TEXT_BEGIN 37123
#define ID_EDIT_TEXT_END 37124
#define ID_EDIT_EXT_TEXT_END 37125
#define ID_EDIT_FIND_PREVIOUS 37126

// Bookmarks: numbered n (0 to 9) is toggled by the first id + n and gone to by the second + n.
#define ID_EDIT_TOGGLE_BOOKMARK0 37200
#define ID_EDIT_TOGGLE_BOOKMARK9 37209
#define ID_EDIT_GO_BOOKMARK0 37210
#define ID_EDIT_GO_BOOKMARK9 37219
#define ID_EDIT_CLEAR_BOOKMARKS 37220
#define ID_EDIT_TOGGLE_FLAG_BOOKMARK 37223
#define ID_EDIT_NEXT_FLAG_BOOKMARK 37224
#define ID_EDIT_PREV_FLAG_BOOKMARK 37225
#define ID_EDIT_CLEAR_FLAG_BOOKMARKS 37226

// Status indicators: the line-end style and the cursor position.
#define ID_EDIT_INDICATOR_CRLF 37902
#define ID_EDIT_INDICATOR_POSITION 37903

// Status indicators of the edit view: overwrite mode, the read-only buffer, and one that is
// always disabled.
#define ID_INDICATOR_OVR 0xE704
#define ID_EDIT_INDICATOR_DISABLED 37900
#define ID_EDIT_INDICATOR_READ 37901
