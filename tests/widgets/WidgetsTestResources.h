#pragma once

// Strings of the widget tests, far from the component's identifiers.
#define IDS_TEST_TOOLTIP_LONG 61001
#define IDC_TEST_BUTTON 61004
