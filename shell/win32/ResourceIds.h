// The resources of kelmora.exe (kelmora.rc): the pictures rendered by
// kelmora-pictures from the Qt window's painter, and the manifest. Plain
// defines: the resource compiler reads this file too.
#pragma once

#define IDI_KELMORA 1     /* the program's icon: the first icon, Explorer shows it */
#define IDI_TRAY0 10      /* notification area: idle */
#define IDI_TRAY1 11      /* notification area: a job runs */
#define IDI_TAB0 20       /* tab icon of page i: IDI_TAB0 + i */
#define IDI_INDICATOR0 30 /* indicator of state image i: IDI_INDICATOR0 + i */
#define IDI_LED0 40       /* the lamp, dark */
#define IDI_LED1 41       /* the lamp, lit */
#define IDI_GLYPH0 50     /* button glyph i: IDI_GLYPH0 + i */
#define IDB_ABOUT100 70   /* the picture of page "O programu" at 100 % */
#define IDB_ABOUT125 71
#define IDB_ABOUT150 72
#define IDB_ABOUT200 73
