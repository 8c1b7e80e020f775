// Resource ids of the probe library the HTML drawer's loader tests read from.
#pragma once
#define IDS_PROBE_TEXT 1
#define IDS_PROBE_SHEET 2
#define IDS_PROBE_255 3
#define IDS_PROBE_600 4
#define IDB_PROBE_PICTURE 10
#define IDI_PROBE_ICON 11
// The variable the library's entry code sets when it runs.
#define PROBE_ENTRY_MARKER "ORV_PROBE_ENTRY_RAN"
