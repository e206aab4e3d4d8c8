#include "commands/shared_object_check.h"

#include <elf.h>
#include <link.h>

#include <cstdint>
#include <cstring>
#include <span>
#include <vector>

#include "media/binary_file.h"
#include "resources/string_table.h"

// The linker's name for the ELF header of the module it links: the machine
// this program runs on, in the form its libraries must have.
extern "C" const ElfW(Ehdr) __ehdr_start;

namespace korvid::commands {
namespace {

using resources::Fill;
using resources::Str;
using resources::Text;

template <typename T>
std::span<std::uint8_t> BytesOf(T& value) {
  return {reinterpret_cast<std::uint8_t*>(&value), sizeof(T)};
}

// Whether `count` entries of `entry` bytes from `offset` lie inside `size`;
// all widened, so no product or sum can wrap.
bool Inside(std::uint64_t offset, std::uint64_t count, std::uint64_t entry, std::uint64_t size) {
  if (offset > size) return false;
  return count == 0 || entry == 0 || (size - offset) / entry >= count;
}

std::string CutShort(std::uint64_t size) { return Fill(Text::kPluginCutShort, {std::to_string(size)}); }

}  // namespace

std::string SharedObjectFault(const std::filesystem::path& file) {
  try {
    const media::BinaryFile in(file, media::BinaryFile::Mode::kRead);
    const std::uint64_t size = in.Size();
    ElfW(Ehdr) header{};
    if (!in.ReadExactAt(0, BytesOf(header)) || std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0)
      return std::string(Str(Text::kPluginNotElf));
    const ElfW(Ehdr)& ours = __ehdr_start;
    if (header.e_ident[EI_CLASS] != ours.e_ident[EI_CLASS] || header.e_ident[EI_DATA] != ours.e_ident[EI_DATA] ||
        header.e_machine != ours.e_machine || header.e_version != EV_CURRENT)
      return std::string(Str(Text::kPluginOtherMachine));
    if (header.e_type != ET_DYN || header.e_phnum == 0 || header.e_phentsize != sizeof(ElfW(Phdr)))
      return std::string(Str(Text::kPluginNotSharedObject));

    if (!Inside(header.e_phoff, header.e_phnum, sizeof(ElfW(Phdr)), size)) return CutShort(size);
    std::vector<ElfW(Phdr)> programs(header.e_phnum);
    if (!in.ReadExactAt(header.e_phoff, {reinterpret_cast<std::uint8_t*>(programs.data()),
                                         programs.size() * sizeof(ElfW(Phdr))}))
      return CutShort(size);
    for (const ElfW(Phdr)& program : programs)
      if (!Inside(program.p_offset, program.p_filesz, 1, size)) return CutShort(size);

    // With more sections than the field holds, the first section header
    // carries the count.
    std::uint64_t sections = header.e_shnum;
    if (header.e_shoff != 0) {
      if (header.e_shentsize != sizeof(ElfW(Shdr))) return std::string(Str(Text::kPluginNotSharedObject));
      if (sections == 0) {
        ElfW(Shdr) first{};
        if (!in.ReadExactAt(header.e_shoff, BytesOf(first))) return CutShort(size);
        sections = first.sh_size;
      }
      if (!Inside(header.e_shoff, sections, sizeof(ElfW(Shdr)), size)) return CutShort(size);
    }
    return {};
  } catch (const media::FileError& e) {
    return e.what();
  }
}

}  // namespace korvid::commands
