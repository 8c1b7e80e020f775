// Resource ids of the tab-page and child-dialog widgets.
#pragma once
#define IDC_LINK_HAND 164  // the link control's hand cursor
