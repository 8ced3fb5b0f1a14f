#pragma once

#include <QString>

#include <string_view>

namespace ecuprobe::ui {

// The core's UTF-8 texts as Qt's strings.
inline QString toQString(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

}  // namespace ecuprobe::ui
