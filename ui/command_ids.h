// Every command and control id of the program, in the blocks it keeps them in.
#pragma once

#include "catalogue/catalogue_ids.h"

// Context menu commands.
inline constexpr unsigned IDM_COPY_SELECTED = 300;
inline constexpr unsigned IDM_SELECT_ALL = 301;
inline constexpr unsigned IDM_VIEW_SELECTED = 302;
inline constexpr unsigned IDM_SHOW_ALL = 303;

// File menu.
inline constexpr unsigned IDM_FILE_NEW_PROJECT = 5001;
inline constexpr unsigned IDM_FILE_OPEN = 5002;
inline constexpr unsigned IDM_FILE_NEW_FOLDER = 5003;
inline constexpr unsigned IDM_FILE_EXIT = 5007;
inline constexpr unsigned IDM_FILE_MENU = 5008;

// Help menu.
inline constexpr unsigned IDM_HELP_ABOUT = 5401;
inline constexpr unsigned IDM_HELP_HELP = 5402;
inline constexpr unsigned IDM_HELP_MENU = 5403;

// Child controls. The results list has no id of its own; the progress bar (1), the status line
// (599) and the store list (600) are the catalogue's, in catalogue/catalogue_ids.h.
inline constexpr unsigned IDC_RESULTS_LIST = 0;
inline constexpr unsigned IDC_NEW_PROJECT_BUTTON = 500;
inline constexpr unsigned IDC_HELP_LIST = 602;

static_assert(IDM_COPY_SELECTED >= 300 && IDM_SHOW_ALL <= 303, "context menu block is 300-303");
static_assert(IDM_FILE_NEW_PROJECT >= 5001 && IDM_FILE_MENU <= 5008, "File menu block is 5001-5008");
static_assert(IDM_HELP_ABOUT >= 5401 && IDM_HELP_MENU <= 5403, "Help menu block is 5401-5403");
