// Resource numbers of the updater TesmoraOrluUpdaterR. Languages are blocks of one string table: a
// message number plus the language's offset (Korean 0, English 300).
#pragma once

#define IDD_ABOUTBOX 100
#define IDS_ABOUT_MENU 101
#define IDD_UPDATER 102
#define IDS_SOCKETS_FAILED 103
#define IDI_UPDATER 128
#define IDB_PANEL 129
#define IDB_RUN_NOW 130
#define IDB_RUN_NOW_HOVER 131
#define IDC_LOG_LIST 1003
#define IDC_TITLE 1004

// Messages, Korean block; the English block is the same number plus 300.
#define IDS_DOWNLOAD_START 300
#define IDS_DOWNLOAD_FAIL 301
#define IDS_FILE_SAVE_ERROR 302
#define IDS_FILE_WRITE_ERROR 303
#define IDS_DOWNLOAD_COMPLETE 304
#define IDS_DOWNLOAD_BUSY 305
#define IDS_BATCH_CREATE_ERROR 306
#define IDS_BATCH_WRITE_ERROR 307
#define IDS_SERVER_INFO_ERROR 308
#define IDS_RUN_WITHOUT_UPDATE 309
#define IDS_DOWNLOAD_INCOMPLETE 310
#define IDS_CHECKING_UPDATER 311
#define IDS_UPDATER_BUSY 312
#define IDS_CHECKING_TYPE 313
#define IDS_GETTING_SERVER 314
#define IDS_GETTING_LIST 315
#define IDS_REPLACING_UPDATER 316
#define IDS_DOWNLOADING_UPDATER 317
#define IDS_UNREACHABLE_REPLY 318
#define IDS_ENTRY_OUTSIDE 319
#define IDS_NOT_SECURE 320
#define IDS_FONT_FACE 2607

#define IDS_ENGLISH_OFFSET 300
