#include "platform/paths.h"

namespace tk {

namespace {

// Where a path's last part begins: after its last backslash, slash or drive colon.
std::size_t LastPartAt(const std::string& path) {
    const auto separator = path.find_last_of("\\/:");
    return separator == std::string::npos ? 0 : separator + 1;
}

}  // namespace

std::string FolderOf(const std::string& path) {
    const std::size_t at = LastPartAt(path);
    return at == 0 ? std::string() : path.substr(0, at - 1);
}

std::string FileNameOf(const std::string& path) {
    return path.substr(LastPartAt(path));
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

std::string Joined(std::initializer_list<std::string_view> parts) {
    std::size_t size = 0;
    for (const std::string_view part : parts) {
        size += part.size();
    }
    std::string text;
    text.reserve(size);
    for (const std::string_view part : parts) {
        text.append(part);
    }
    return text;
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
