// Dialog templates the tests and the gallery create pages from.
#pragma once
#define IDD_TEST_PAGE 30001       // a child page: two edits and a check box
#define IDD_TEST_CHILD 30002      // a child dialog for placeholders
#define IDD_GALLERY_PAGE 30003    // the gallery's page made from a template
#define IDC_TEST_FIRST 30011
#define IDC_TEST_SECOND 30012
#define IDC_TEST_CHECK 30013
