// Resource numbers shared by tramsel.rc and the Windows front-end.
#pragma once

#define IDI_TRAMSEL 1    // the application icon: first in the file, so Explorer shows it
#define IDI_ABOUT 2      // the about box's padlock
#define IDB_TOOLBAR 3    // the toolbar's images, "Find" then "Delete", 16 x 16 each
