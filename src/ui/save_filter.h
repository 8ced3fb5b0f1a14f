#pragma once

#include <QStringList>

#include <string_view>

namespace ecuprobe::ui {

// A file filter in the Windows form, "description|pattern|...||", as Qt name
// filters, "description (pattern ...)". Windows reads "*.*" as every file while
// Qt would match only names with a dot, so it becomes "*".
QStringList qtNameFilters(std::string_view windowsFilter);

}  // namespace ecuprobe::ui
