#include "platform/VersionResource.h"

#include <elf.h>

#include <cstring>
#include <fstream>
#include <vector>

namespace platform {
namespace {

bool ReadAt(std::ifstream& file, std::uint64_t offset, void* data, std::size_t size) {
    file.seekg(static_cast<std::streamoff>(offset));
    file.read(static_cast<char*>(data), static_cast<std::streamsize>(size));
    return static_cast<std::size_t>(file.gcount()) == size;
}

}  // namespace

bool ReadProductVersion(const std::string& path, ProductVersion& version) {
    std::ifstream file(path, std::ios::binary);
    if (!file) return false;

    Elf64_Ehdr header{};
    if (!ReadAt(file, 0, &header, sizeof header)) return false;
    if (std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0 || header.e_ident[EI_CLASS] != ELFCLASS64) return false;
    if (header.e_shentsize != sizeof(Elf64_Shdr) || header.e_shnum == 0 || header.e_shnum > 4096 ||
        header.e_shstrndx >= header.e_shnum)
        return false;

    std::vector<Elf64_Shdr> sections(header.e_shnum);
    if (!ReadAt(file, header.e_shoff, sections.data(), sections.size() * sizeof(Elf64_Shdr))) return false;

    const Elf64_Shdr& names = sections[header.e_shstrndx];
    if (names.sh_size == 0 || names.sh_size > (1u << 20)) return false;
    std::vector<char> nameTable(names.sh_size + 1, '\0');
    if (!ReadAt(file, names.sh_offset, nameTable.data(), names.sh_size)) return false;

    for (const Elf64_Shdr& section : sections) {
        if (section.sh_name >= names.sh_size) continue;
        if (std::strcmp(&nameTable[section.sh_name], VERSION_SECTION) != 0) continue;
        VersionRecord record{};
        if (section.sh_size < sizeof record || !ReadAt(file, section.sh_offset, &record, sizeof record)) return false;
        if (std::memcmp(record.magic, VERSION_MAGIC, sizeof record.magic) != 0) return false;
        for (std::size_t i = 0; i < version.size(); ++i) version[i] = record.parts[i];
        return true;
    }
    return false;
}

}  // namespace platform
