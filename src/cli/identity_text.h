#pragma once

#include <string>

#include "console/identification_content.h"

namespace ecuprobe::cli {

// The identification dialog as text: each field after its caption, the lines of
// a passport one under another, then the equipment one item a line.
std::string identificationText(const console::IdentificationContent& content);

}  // namespace ecuprobe::cli
