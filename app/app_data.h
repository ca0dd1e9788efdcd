// The application's data without windows: the site fields, the "Max RSS Item" value,
// the item store and the settings. The main window shows it and its handlers change it.
#pragma once

#include <cstdint>
#include <string>

#include "app/item_store.h"

// The fields kept in the settings file, named as the main window's fields.
struct TSettings {
    bool FCssFlag = false; // a CSS style sheet line goes into the feed
    std::string FCssPath;
    bool FXslFlag = false; // an XSL style sheet line goes into the feed
    std::string FXslPath;
    bool F1Checked = false; // check mark of F1 ("保存ファイル指定(&F)"): FSavePath is in use
    std::string FSavePath;
    std::string FTimeZone; // "+09:00" once LoadSettings has run without a file
    std::string FSiteDescription;
};

struct TAppData {
    std::string SiteE = "http://"; // text of SiteE: the site URL
    std::string NameE;             // text of NameE: the site name
    // Value of SpinEdit1 ("Max RSS Item"): the integer its text spells, or 5. The
    // window stores the control's value here before a command reads it; it may lie
    // outside 5..100 while the box still has the focus.
    int32_t SpinEdit1 = 5;
    TItemStore Items;
    TSettings Settings;
};

// The spin box's bounds as the window design gives them.
inline constexpr int32_t SpinEdit1MinValue = 5;
inline constexpr int32_t SpinEdit1MaxValue = 100;
