// The one crossing between the program's Windows-1252 text and Qt's Unicode.
// Every window converts its texts here and nowhere else.
#pragma once

#include <QString>
#include <string>
#include <string_view>

#include "platform/codepage.h"

namespace ui {

// Windows-1252 bytes as a QString.
inline QString toqt(std::string_view text) {
  const std::string utf8 = platform::cp1252toutf8(text);
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

// A QString as Windows-1252 bytes; characters without a code become "?".
inline std::string fromqt(const QString& text) {
  const QByteArray utf8 = text.toUtf8();
  return platform::utf8tocp1252(std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())));
}

}  // namespace ui
