#pragma once
// The console face and the sizes it takes: the full size fits the screen, the normal
// window uses 0.65 of it.

#include <QFont>
#include <QSize>

namespace nivex::qt {

constexpr int kMaxConsoleFontSize = 14;
constexpr int kButtonAreaRows = 3;  // 2 button rows of 1.51 text rows each
constexpr int kScreenReserveRows = 3;

// "Courier New", fixed pitch, bold; the nearest monospaced face where it is missing.
QFont consoleFace(int pointSize);

// The largest size up to 14 points at which 82 columns fit the screen's width and 30 row
// heights plus three more fit its height (at least 1).
int fullFontSize(const QSize& screen);

// The size of the window in its normal state.
int normalFontSize(int fullSize, int screenWidth);

}  // namespace nivex::qt
