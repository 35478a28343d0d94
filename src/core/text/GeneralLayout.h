#pragma once
// The program-wide switches of the general layout table "ORG" (section "org"), read once at start-up.

#include "core/text/LayoutConfig.h"

#include <string>

namespace tarvik::core {

struct GeneralLayout {
    static constexpr std::string_view kSection = "org";

    bool webEnabled = false; // "Web_Enable": 1 lets the web button open `web`
    std::string web;         // "Web": the address the web button opens
    int webX = 370;          // "Web_X", "Web_Y": the web button on every page
    int webY = 5;
    int revManuId = 0; // "Rev_Manu_ID", "Rev_Pro_ID": a second accepted identity of the mouse
    int revProId = 0;
    std::string macroPath;    // "Path": folder of the PC macro library; empty = its default folder
    bool textRolling = true;  // "TR_Enable": hovered captions roll
    bool buttonEffect = true; // "BE_Enable": written for Office and Third Mode by the work-mode switch

    // Reads the section "org". A key that is absent, or a number that cannot be read, keeps the
    // shipped value above; a switch is on only for the value 1.
    static GeneralLayout read(const LayoutConfig& config);

    // The built-in table ("layout/org.ini"); the shipped values when the file is missing.
    static GeneralLayout loadBuiltIn();
};

} // namespace tarvik::core
