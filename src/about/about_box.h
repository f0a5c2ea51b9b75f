// What the about box shows, whatever toolkit draws it: its layout and texts.
#pragma once

#include <array>

#include "ui/layout.h"

namespace tramsel::about_box {

inline constexpr const char *kCaption = "About Tramsel";
inline constexpr int kClientWidth = 5535;  // twips
inline constexpr int kClientHeight = 2835;
inline constexpr TwipsRect kFrame1{120, 0, 5295, 2295};
inline constexpr TwipsRect kPicIcon{240, 240, 480, 480};  // sized to its 32 x 32 picture
inline constexpr TwipsRect kOK{2040, 2400, 1467, 345};

enum class Face {
    Normal,     // the window's font, "MS Sans Serif" 8.25 points, default colour
    Black,      // the same in black
    TitleBold,  // "MS Sans Serif" 9.75 points bold, black
    Bold,       // "MS Sans Serif" 8.25 points bold, default colour
};

struct Label {
    const char *name;
    TwipsRect rect;  // relative to Frame1
    const char *text;
    Face face;
};

// Top to bottom; every label is left-aligned, wraps at its width and takes
// no clicks: the web address is plain text.
inline constexpr std::array<Label, 6> kLabels{{
    {"lblTitle", {840, 240, 4095, 360}, "Tramsel V. 2.0", Face::TitleBold},
    {"lblVersion", {840, 600, 3735, 465},
     "Shows how NT accounts have been used (last login, last logoff, ...)", Face::Normal},
    {"lblDescription", {840, 1125, 4095, 210}, "Copyright (C) 2003-2026 The Tramsel developers",
     Face::Black},
    {"lblDisclaimer", {840, 1320, 3870, 225}, "developers@tramsel.example.org", Face::Black},
    {"Label1", {840, 1560, 4095, 255}, "https://tramsel.example.org/", Face::Bold},
    {"Label2", {840, 1800, 4095, 255}, "Check this website for more resources about security...",
     Face::Normal},
}};

} // namespace tramsel::about_box
