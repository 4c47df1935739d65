// The usage text that --help prints.
#pragma once

#include <span>
#include <string_view>

namespace initform {

// The lines of the usage text, without their line ends.
std::span<const std::string_view> usageLines();

}  // namespace initform
