// Dialog templates the tests and the gallery create pages from.
#pragma once
#define IDD_TEST_PAGE 30001       // a child page: two edits and a check box
#define IDD_TEST_CHILD 30002      // a child dialog for placeholders
#define IDD_GALLERY_PAGE 30003    // the gallery's page made from a template
#define IDC_TEST_FIRST 30011
#define IDC_TEST_SECOND 30012
#define IDC_TEST_CHECK 30013
#define IDD_GALLERY 30004          // the gallery's main dialog
#define IDC_GALLERY_TABS 30021
#define IDC_GALLERY_PLACEHOLDER 30022
#define IDC_GALLERY_HELP 30023
#define IDC_GALLERY_ABOUT 30024
#define IDC_GALLERY_STATUS_PLAIN 30041  // HTML labels of the gallery
#define IDC_GALLERY_STATUS_RED 30042
#define IDC_GALLERY_STATUS_BOLD 30043
#define IDC_GALLERY_TABLE 30044
#define IDD_EDITOR_SAMPLE 30005              // a dialog hosting the text editor control
#define IDC_EDITOR_SAMPLE_PLACEHOLDER 30051  // where the control goes
