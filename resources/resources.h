// Resource identifiers shared by the .rc file and the code.
#pragma once

// Icons, each holding several sizes: the pictures pick the image nearest their size.
#define IDI_TALVEX 1
#define IDI_GENERAL 2
#define IDI_SUPPORT 3
#define IDI_DIAG 4
#define IDI_REBOOT 5

// GIF and PNG pictures, as RCDATA.
#define IDR_GENERAL_BANNER 20
#define IDR_FLAG_AUSTRALIA 101
#define IDR_FLAG_CANADA 102
#define IDR_FLAG_CHINA 103
#define IDR_FLAG_DENMARK 104
#define IDR_FLAG_EGYPT 105
#define IDR_FLAG_FRANCE 106
#define IDR_FLAG_GERMANY 107
#define IDR_FLAG_INDIA 108
#define IDR_FLAG_JAPAN 109
#define IDR_FLAG_SINGAPORE 110
#define IDR_FLAG_SWEDEN 111
#define IDR_FLAG_TAIWAN 112
#define IDR_FLAG_UK 113
#define IDR_FLAG_USA 114

// A picture control names its resource in its window text: "#" and the number.
#define RESOURCE_TEXT(id) RESOURCE_TEXT_(id)
#define RESOURCE_TEXT_(id) "#" #id
