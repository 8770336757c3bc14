#include "tools/oplexa/ModuleKind.h"

#include <elf.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <set>
#include <vector>

namespace oplexa
{
namespace
{
template <typename T> bool readAt(const std::vector<char>& file, size_t offset, T& value)
{
    if (offset > file.size() || file.size() - offset < sizeof value)
        return false;
    std::memcpy(&value, file.data() + offset, sizeof value);
    return true;
}

// The names of the symbols the file defines in its dynamic symbol table.
bool definedSymbols(const std::vector<char>& file, std::set<std::string>& names)
{
    Elf64_Ehdr header{};
    if (!readAt(file, 0, header) || std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0 ||
        header.e_ident[EI_CLASS] != ELFCLASS64 || header.e_machine != EM_X86_64 ||
        header.e_type != ET_DYN || header.e_shentsize != sizeof(Elf64_Shdr))
        return false;
    for (size_t s = 0; s < header.e_shnum; ++s)
    {
        Elf64_Shdr table{};
        Elf64_Shdr strings{};
        if (!readAt(file, header.e_shoff + s * sizeof table, table))
            return false;
        if (table.sh_type != SHT_DYNSYM)
            continue;
        if (!readAt(file, header.e_shoff + table.sh_link * sizeof strings, strings) ||
            strings.sh_offset > file.size() || file.size() - strings.sh_offset < strings.sh_size)
            return false;
        for (size_t at = table.sh_offset; at + sizeof(Elf64_Sym) <= table.sh_offset + table.sh_size;
             at += sizeof(Elf64_Sym))
        {
            Elf64_Sym symbol{};
            if (!readAt(file, at, symbol))
                return false;
            if (symbol.st_shndx == SHN_UNDEF || symbol.st_name >= strings.sh_size)
                continue;
            const char* name = file.data() + strings.sh_offset + symbol.st_name;
            names.insert(std::string(name, strnlen(name, strings.sh_size - symbol.st_name)));
        }
        return true;
    }
    return false;
}
} // namespace

ModuleKind moduleKind(const std::string& path)
{
    std::ifstream stream(path, std::ios::binary);
    if (!stream)
        return ModuleKind::missing;
    const std::vector<char> file((std::istreambuf_iterator<char>(stream)),
                                 std::istreambuf_iterator<char>());
    std::set<std::string> names;
    if (!definedSymbols(file, names))
        return ModuleKind::notPlugin;
    if (names.count("oplexa_wrapper_main_v1") != 0)
        return ModuleKind::oplexa;
    if (names.count("oplexa_wrapper_v1") != 0)
        return ModuleKind::wrapper;
    for (const char* entry : {"VSTPluginMain", "main", "main_macho"})
        if (names.count(entry) != 0)
            return ModuleKind::plugin;
    return ModuleKind::notPlugin;
}
} // namespace oplexa
