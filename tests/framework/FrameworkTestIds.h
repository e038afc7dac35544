#pragma once
// Templates of the framework tests.
#define IDD_TEST_PAGE_A 100
#define IDD_TEST_PAGE_B 101
#define IDD_TEST_PAGE_C 102
#define IDD_TEST_FORM 110
#define IDC_TEST_EDIT 1001
#define IDC_TEST_CHECK 1002
#define IDC_TEST_RADIO_0 1003
#define IDC_TEST_RADIO_1 1004
#define IDC_TEST_RADIO_2 1005
#define IDC_TEST_LABEL 1006
