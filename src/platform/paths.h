#pragma once
// Small helpers for backslash paths and the texts made of them.
#include <initializer_list>
#include <string>
#include <string_view>

namespace tk {

// Everything before the last backslash, slash or drive colon (without it), or empty.
std::string FolderOf(const std::string& path);
// Everything after the last backslash, slash or drive colon.
std::string FileNameOf(const std::string& path);
// The path with one backslash appended when it does not end in one.
std::string WithTrailingBackslash(const std::string& path);
// The number in the given base with at least `width` digits, led by zeros; upper-case
// hexadecimal digits. (The printf family would bring its whole formatter into the program.)
std::string PaddedNumber(unsigned long value, int width, int base = 10);
// The parts one after another, in one string made at once.
std::string Joined(std::initializer_list<std::string_view> parts);
// ASCII lower case; code page 1254 letters above 127 are kept as they are.
std::string AsciiLower(std::string text);

}  // namespace tk
