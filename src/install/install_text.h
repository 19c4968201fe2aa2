// Small text helpers shared by the file installation code.
#pragma once

#include <initializer_list>
#include <string>

namespace install {

// Puts `value` in place of the first "%s" or "%d" of a message text; "%%"
// gives "%". Any other '%' stays as it is. Message texts are never handed
// to printf, so a text with unexpected placeholders cannot read arguments
// that are not there.
std::string FillPlaceholder(const char* text, const std::string& value);

// The same for several values, in order: the n-th "%s" or "%d" gets the
// n-th value; placeholders beyond the values stay as they are.
std::string FillPlaceholders(const char* text, std::initializer_list<std::string> values);

}  // namespace install
