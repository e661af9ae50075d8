#pragma once
// Where code-page bytes meet Qt strings.

#include <QString>
#include <string>
#include <string_view>

#include "console/codepage.h"

namespace nivex::qt {

inline QString qtext(std::string_view bytes) {
    return QString::fromStdString(toUtf8(bytes));
}

inline std::string bytesOf(const QString& text) {
    return cp(text.toStdString());
}

// A message of the program as a dialog shows it: "\r" (or "\r\n") breaks a line.
inline QString messageText(std::string_view bytes) {
    QString text = qtext(bytes);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

// A caption for a button or a menu: '&' would be taken as a mnemonic.
inline QString plainCaption(std::string_view bytes) {
    QString text = qtext(bytes);
    text.replace(QLatin1Char('&'), QStringLiteral("&&"));
    return text;
}

}  // namespace nivex::qt
