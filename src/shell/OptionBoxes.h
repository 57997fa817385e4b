#pragma once
#include "settings/AppSettings.h"

#include <string>

namespace sweepora {

// A check box of the option pages and the in-memory setting it writes.
struct OptionBox {
    const char* caption;
    std::string AppSettings::*setting;
    const char* tip; // null: none
};

constexpr int kCleaningBoxCount = 16;
constexpr int kCustomDirsBox = 12;
constexpr int kStartupBoxCount = 5;
constexpr int kHotkeyBoxCount = 5;
extern const char* const kCustomDirsTip;

// The cleaning categories, by box index.
const OptionBox* CleaningBoxes();
// Start with Windows, in the tray, clean at shutdown, clean at start, stealth.
const OptionBox* StartupBoxes();
// The actions of the action hotkey.
const OptionBox* HotkeyBoxes();

// A box's value as its setting holds it: "1" checked, anything else unchecked.
std::string BoxValueText(int checkState);

} // namespace sweepora
