// text_overlay.h -- lines of text drawn over the finished frame with
// stb_easy_font in GL 1.1 immediate mode, sized to the window.
#pragma once

#include <string>
#include <vector>

constexpr double TEXT_LINE_HEIGHT = 12.0;  // stb_easy_font's line spacing, in font units

// The font scale for a client size: one font unit per pixel at the smallest
// window (200 x 150), growing in whole steps with the window up to four.
double OverlayTextScale(int width, int height);
// Splits text into lines no wider than maxWidth font units, at blanks where
// it can (a single overlong word is cut).
std::vector<std::string> WrapText(const std::string& text, double maxWidth);
// Width of one line in font units.
double TextWidth(const std::string& line);

// Draws help (top left, on a dark panel) and notices (bottom left, each on a
// dark band) over the current frame. Every GL state it changes is saved
// before and restored after; it draws nothing and touches nothing when both
// are empty.
void DrawTextOverlay(const std::vector<std::string>& help, const std::vector<std::string>& notices);
