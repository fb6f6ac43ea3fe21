#pragma once
#include <vector>

// The row of command buttons of the main window (Options, About, Hide, Exit) keeps the buttons'
// sizes and centres them: with w the first button's width and W the client width, the first left
// edge is W/2 - (4w + 3 * 30)/2 and each further button starts w + 30 after the previous one.
constexpr int kRowButtonGap = 30;
constexpr int kRowTop = 33;

[[nodiscard]] std::vector<int> RowLeftEdges(int firstWidth, int clientWidth, int count = 4);
