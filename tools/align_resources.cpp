// Build-time host tool: puts the resource section of a linked PE program on a page boundary
// of the file, so that the loader maps the payload from the file instead of copying it.
//   align_resources PROGRAM           rewrites PROGRAM in place
//   align_resources --check PROGRAM   fails unless PROGRAM's resources start on a page
//
// Why: a section whose data does not start on a page boundary of the file cannot be mapped
// from it; Wine's loader then reads the whole section into private memory when the program
// starts, payload and all. The linker places each section's data at the next multiple of
// the file alignment (512 bytes), so the resources start on a page only by chance.
//
// How: the sections' data are put in another order in the file, the sections in memory
// stay as they are. Before the resources go sections whose sizes fill the space from the
// headers to a page boundary; the others follow the resources. The file keeps its size;
// only when no such sections exist is the space filled with zeros. The checksum is made
// again. A signed program is refused: signing comes after this step.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <sys/stat.h>

#include "read_all.h"

namespace {

constexpr std::uint32_t kPage = 4096;

using Bytes = std::vector<unsigned char>;

std::uint32_t Read16(const Bytes& bytes, std::size_t at) {
    return bytes[at] | static_cast<std::uint32_t>(bytes[at + 1]) << 8;
}
std::uint32_t Read32(const Bytes& bytes, std::size_t at) {
    return Read16(bytes, at) | Read16(bytes, at + 2) << 16;
}
void Write32(Bytes& bytes, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        bytes[at + i] = static_cast<unsigned char>(value >> (8 * i));
    }
}

struct Section {
    std::size_t header;  // offset of its entry in the section table
    std::uint32_t rva, virtualSize, rawSize, rawOffset;
};

struct Image {
    std::size_t checksumAt = 0;
    std::uint32_t fileAlignment = 0, headersSize = 0;
    std::vector<Section> sections;  // those with data in the file, in the table's order
    std::size_t resources = 0;      // index into sections
};

// The layout of the program's headers; an empty string when it can be read (and, for
// `rewrite`, rewritten safely), otherwise why not.
std::string Parse(const Bytes& file, Image& image, bool rewrite) {
    if (file.size() < 0x40 || file[0] != 'M' || file[1] != 'Z') {
        return "not a PE program";
    }
    const std::size_t pe = Read32(file, 0x3C);
    if (pe + 24 > file.size() || std::memcmp(&file[pe], "PE\0\0", 4) != 0) {
        return "not a PE program";
    }
    const std::uint32_t sectionCount = Read16(file, pe + 6);
    const std::size_t optional = pe + 24;
    const std::size_t table = optional + Read16(file, pe + 20);
    const std::uint32_t magic = Read16(file, optional);
    const std::size_t directories = optional + (magic == 0x20B ? 112 : 96);
    if ((magic != 0x10B && magic != 0x20B) || table + 40 * sectionCount > file.size() ||
        directories + 8 * 7 > table || Read32(file, directories - 4) < 7) {
        return "unexpected headers";
    }
    if (rewrite && (Read32(file, pe + 8) != 0 || Read32(file, directories + 8 * 4 + 4) != 0 ||
                    Read32(file, directories + 8 * 6 + 4) != 0)) {
        return "symbols, a signature or debug data point into the file";
    }
    image.checksumAt = optional + 64;
    image.fileAlignment = Read32(file, optional + 36);
    image.headersSize = Read32(file, optional + 60);
    const std::uint32_t resourceRva = Read32(file, directories + 8 * 2);
    std::uint64_t end = image.headersSize;
    std::uint64_t used = image.headersSize;
    bool found = false;
    for (std::uint32_t i = 0; i < sectionCount; ++i) {
        const std::size_t at = table + 40 * i;
        Section section{at, Read32(file, at + 12), Read32(file, at + 8), Read32(file, at + 16),
                        Read32(file, at + 20)};
        if (section.rawSize == 0) {
            continue;
        }
        if (section.rawOffset < image.headersSize || section.rawOffset % image.fileAlignment != 0 ||
            section.rawSize % image.fileAlignment != 0 ||
            std::uint64_t{section.rawOffset} + section.rawSize > file.size()) {
            return "unexpected section data";
        }
        if (resourceRva >= section.rva && resourceRva - section.rva < section.virtualSize) {
            image.resources = image.sections.size();
            found = true;
        }
        end = std::max<std::uint64_t>(end, std::uint64_t{section.rawOffset} + section.rawSize);
        used += section.rawSize;
        image.sections.push_back(section);
    }
    if (image.fileAlignment == 0 || kPage % image.fileAlignment != 0 ||
        image.headersSize % image.fileAlignment != 0) {
        return "unexpected alignment";
    }
    if (!found) {
        return "no resource section";
    }
    if ((rewrite && end != file.size()) || used > end) {
        return "data outside the sections, or sections that overlap";
    }
    return {};
}

// The sections (not the resources) whose sizes add up to `gap` modulo a page, in the
// table's order; false when there are none.
bool FillingSections(const Image& image, std::uint32_t gap, std::vector<std::size_t>& chosen) {
    const std::uint32_t slots = kPage / image.fileAlignment;
    // way[r]: the sections first found to reach residue r, in slots of the file alignment.
    std::vector<std::vector<std::size_t>> way(slots);
    std::vector<bool> reached(slots, false);
    reached[0] = true;
    for (std::size_t i = 0; i < image.sections.size(); ++i) {
        if (i == image.resources) {
            continue;
        }
        const std::uint32_t step = image.sections[i].rawSize / image.fileAlignment % slots;
        const std::vector<bool> before = reached;
        for (std::uint32_t r = 0; r < slots; ++r) {
            const std::uint32_t next = (r + step) % slots;
            if (before[r] && !reached[next]) {
                reached[next] = true;
                way[next] = way[r];
                way[next].push_back(i);
            }
        }
    }
    const std::uint32_t target = gap / image.fileAlignment % slots;
    chosen = way[target];
    return reached[target];
}

std::uint32_t Checksum(const Bytes& file, std::size_t checksumAt) {
    std::uint64_t sum = 0;
    for (std::size_t i = 0; i < file.size(); i += 2) {
        if (i == checksumAt || i == checksumAt + 2) {
            continue;
        }
        sum += file[i] | (i + 1 < file.size() ? file[i + 1] << 8 : 0);
        sum = (sum & 0xFFFF) + (sum >> 16);
    }
    sum = (sum & 0xFFFF) + (sum >> 16);
    return static_cast<std::uint32_t>(sum + file.size());
}

Bytes Rearranged(const Bytes& file, const Image& image) {
    const std::uint32_t gap = (kPage - image.headersSize % kPage) % kPage;
    std::vector<std::size_t> before;
    if (!FillingSections(image, gap, before)) {
        before.clear();  // zeros fill the gap instead
        std::fprintf(stderr, "align_resources: no sections fill the gap; padding it\n");
    }
    std::vector<std::size_t> order = before;
    order.push_back(image.resources);
    for (std::size_t i = 0; i < image.sections.size(); ++i) {
        bool placed = false;
        for (const std::size_t j : order) {
            placed = placed || j == i;
        }
        if (!placed) {
            order.push_back(i);
        }
    }
    Bytes out(file.begin(), file.begin() + image.headersSize);
    for (const std::size_t i : order) {
        const Section& section = image.sections[i];
        if (i == image.resources) {
            out.resize((out.size() + kPage - 1) / kPage * kPage, 0);
        }
        Write32(out, section.header + 20, static_cast<std::uint32_t>(out.size()));
        out.insert(out.end(), file.begin() + section.rawOffset,
                   file.begin() + section.rawOffset + section.rawSize);
    }
    Write32(out, image.checksumAt, Checksum(out, image.checksumAt));
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    const bool check = argc == 3 && std::strcmp(argv[1], "--check") == 0;
    if (argc != 2 && !check) {
        std::fprintf(stderr, "usage: align_resources [--check] PROGRAM\n");
        return 2;
    }
    const char* path = argv[argc - 1];
    Bytes file;
    if (!ReadAll(path, file)) {
        std::fprintf(stderr, "align_resources: cannot read %s\n", path);
        return 1;
    }
    Image image;
    const std::string problem = Parse(file, image, !check);
    if (!problem.empty()) {
        std::fprintf(stderr, "align_resources: %s: %s\n", path, problem.c_str());
        return 1;
    }
    const bool aligned = image.sections[image.resources].rawOffset % kPage == 0;
    if (check || aligned) {
        if (!aligned) {
            std::fprintf(stderr, "align_resources: %s: the resources start at byte %u\n", path,
                         image.sections[image.resources].rawOffset);
        }
        return aligned ? 0 : 1;
    }
    const Bytes out = Rearranged(file, image);
    // Written beside the program, with its permissions, then put in its place.
    const std::string temporary = std::string(path) + ".aligning";
    struct stat status {};
    std::FILE* target = std::fopen(temporary.c_str(), "wb");
    if (target == nullptr || std::fwrite(out.data(), 1, out.size(), target) != out.size() ||
        std::fclose(target) != 0 || ::stat(path, &status) != 0 ||
        ::chmod(temporary.c_str(), status.st_mode & 07777) != 0 ||
        std::rename(temporary.c_str(), path) != 0) {
        std::fprintf(stderr, "align_resources: cannot write %s\n", path);
        return 1;
    }
    return 0;
}
