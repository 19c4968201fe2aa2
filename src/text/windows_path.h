// Paths as Windows resolves them, for decisions that must not depend on how
// a path is spelt: letter case, forward slashes, doubled backslashes, "."
// and ".." components, trailing dots and blanks of a name.
//
//   text::WindowsPath p = text::ResolvePath("c:/tape\\\\sub\\..\\HALVORN.EXE.");
//   p.valid -> true; p.root -> "C:"; p.parts -> {"TAPE", "HALVORN.EXE"}
//   p.Text() -> "C:\\TAPE\\HALVORN.EXE"
//   text::IsSameOrBelow(text::ResolvePath("C:\\TAPE\\X"), text::ResolvePath("C:\\Tape"))
//     -> true
#pragma once

#include <string>
#include <vector>

namespace text {

// Windows-1252 upper case of one character, as Windows compares names:
// a-z, the accented small letters and the three whose capitals lie in
// 0x80-0x9F.
char FoldName(char ch);

struct WindowsPath {
  bool valid = false;             // a drive ("C:") or share ("\\SERVER\SHARE") path
  std::string root;               // "C:" or "\\SERVER\SHARE", upper case
  std::vector<std::string> parts; // the components below the root, upper case

  // The resolved path: the root, then "\" and each component ("C:\" for a
  // drive's root).
  std::string Text() const;
};

// The path as Windows would reach it: without empty and "." components,
// with ".." applied (never above the root), trailing dots and blanks of a
// name dropped, folded to upper case. Not valid for a relative path or a
// path without a drive or share.
WindowsPath ResolvePath(const std::string& path);

// `a` is `b` or lies below it (both valid, same root).
bool IsSameOrBelow(const WindowsPath& a, const WindowsPath& b);
// `a` is `b`.
bool IsSamePath(const WindowsPath& a, const WindowsPath& b);

}  // namespace text
