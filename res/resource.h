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
#define IDD_PROGRESS 129
#define IDC_PROGRESS_BAR 1002
#define IDC_PROGRESS_TEXT 1017
#define IDS_CREATING_DAT 113
#define IDS_OPEN_FILE_TITLE 115
#define IDS_DECODING_FILE 116
#define IDS_ERROR_DECODING 121
#define IDS_UNSUPPORTED_EXTENSION 122
#define IDS_COULD_NOT_OPEN 123
#define IDS_AUDIO_CD_TRACK 165
#define IDS_RECORDED_FROM 166
#define IDS_CONVERTING_WAV 172
#define IDS_UNSUPPORTED_WAVE 174
#define IDS_ERROR_CREATING_DAT 175
#define IDS_ERROR_CONVERTING_WAV 177
#define IDS_WMF_MISSING 187
#define IDS_INVALID_FILE 214
#define IDS_OPEN_FILTER 217
#define IDS_FILE_NOT_SUPPORTED 220
#define IDS_SAMPLE_RATE_TOO_LOW 240

// Stream view and playback
