#pragma once

// Resource identifiers of the component. Each subsystem keeps its block.

// Host shell
#define IDD_ABOUTBOX 100
#define IDD_TARVISK_DIALOG 102
#define IDR_MAINFRAME 100
#define IDS_ABOUT 101
#define IDS_ERROR_LOADING_SKIN 103
// The framework's help command.
#define ID_HELP 0xE146

// Widgets and progress dialog

// Import

// Stream view and playback
