// Small text helpers anyone may use: the Windows-1252 code page the program
// and its files speak, and ASCII comparisons as Windows makes them for
// names. No dependency on anything else of the project.
//
//   text::Cp1252ToUtf8("Gr\xFC\xDF" "e")        -> "Grüße" (UTF-8)
//   text::Utf8ToCp1252("€", &lossless)         -> "\x80", lossless true
//   text::EqualsIgnoreCase("setup.dat", "SETUP.DAT")  -> true
//   text::Quote("a\"b\n")                      -> "\"a\\\"b\\n\""
#pragma once

#include <string>
#include <string_view>

namespace text {

// Windows-1252 <-> UTF-8. Every byte survives a round trip (the five bytes
// Windows-1252 leaves undefined stand for the C1 control of the same
// number); a code point Windows-1252 lacks, or malformed UTF-8, becomes '?'
// and clears *lossless.
std::string Utf8ToCp1252(const std::string& utf8, bool* lossless = nullptr);
std::string Cp1252ToUtf8(const std::string& cp1252);

bool Contains(std::string_view text, std::string_view what);

// Case mapping and comparison of the ASCII letters only; other bytes stay
// as they are.
std::string ToUpperAscii(std::string text);
std::string ToLowerAscii(std::string text);
bool EqualsIgnoreCase(std::string_view a, std::string_view b);
bool StartsWithIgnoreCase(std::string_view text, std::string_view prefix);

// The blanks of a C locale's isspace.
inline constexpr std::string_view kBlanks = " \t\r\n\v\f";
// `text` without leading and trailing characters of `blanks`.
std::string Trim(std::string_view text, std::string_view blanks = kBlanks);

// C-style escapes of \n \t \r \\ \" (how scenarios and transcripts write
// texts); Quote adds the double quotes.
std::string Escape(std::string_view text);
std::string Quote(std::string_view text);

}  // namespace text
