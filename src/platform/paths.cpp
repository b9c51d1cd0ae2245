#include "platform/paths.h"

namespace tk {

std::string FolderOf(const std::string& path) {
    const auto slash = path.rfind('\\');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::string FileNameOf(const std::string& path) {
    const auto slash = path.rfind('\\');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string WithTrailingBackslash(const std::string& path) {
    if (!path.empty() && path.back() == '\\') {
        return path;
    }
    return path + '\\';
}

std::string PaddedNumber(unsigned long value, int width, int base) {
    std::string digits;
    do {
        digits.insert(digits.begin(), "0123456789ABCDEF"[value % static_cast<unsigned>(base)]);
        value /= static_cast<unsigned>(base);
    } while (value != 0);
    if (static_cast<int>(digits.size()) < width) {
        digits.insert(0, static_cast<std::size_t>(width) - digits.size(), '0');
    }
    return digits;
}

std::string AsciiLower(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return text;
}

}  // namespace tk
