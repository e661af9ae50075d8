#include "qt/console_font.h"

#include <QFontMetrics>
#include <QStringList>
#include <algorithm>
#include <cmath>

#include "console/console.h"

namespace nivex::qt {

QFont consoleFace(int pointSize) {
    // Where "Courier New" is missing: its metric twin first, then a compact monospace face
    // rather than whatever the system picks (often one with tall lines).
    static const bool substituted = [] {
        QFont::insertSubstitutions(
            QStringLiteral("Courier New"),
            QStringList{QStringLiteral("Liberation Mono"), QStringLiteral("DejaVu Sans Mono")});
        return true;
    }();
    (void)substituted;
    QFont face(QStringLiteral("Courier New"));
    face.setStyleHint(QFont::TypeWriter, QFont::PreferMatch);
    face.setFixedPitch(true);
    face.setBold(true);
    face.setPointSize(std::max(1, pointSize));
    return face;
}

int fullFontSize(const QSize& screen) {
    using console::Console;
    const int rowsNeeded = Console::kRows + kButtonAreaRows + kScreenReserveRows;
    for (int size = kMaxConsoleFontSize; size > 1; --size) {
        QFontMetrics fm(consoleFace(size));
        const int width = fm.horizontalAdvance(QLatin1Char(' ')) * Console::kColumns;
        const int height = (fm.height() + Console::kLineGap) * rowsNeeded;
        if (width <= screen.width() && height <= screen.height()) return size;
    }
    return 1;
}

int normalFontSize(int fullSize, int screenWidth) {
    if (screenWidth < 800) return fullSize;
    return std::max(1, static_cast<int>(std::lround(0.65 * fullSize)));
}

}  // namespace nivex::qt
