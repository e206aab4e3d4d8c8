#pragma once
// Whether a file may be handed to the dynamic loader. The loader maps a
// library's segments straight from the file, so a copy cut short faults
// (SIGBUS) inside dlopen instead of failing; a FIFO makes it wait for a
// writer for ever. Both are caught here, before the loader sees the file.

#include <filesystem>
#include <string>

namespace korvid::commands {

// Why `file` is not a whole ELF shared object for this machine: not a
// regular file, no ELF header, another machine's, not a shared object, or a
// program header's file range or the section header table past the end of
// the file. Empty when it is one.
std::string SharedObjectFault(const std::filesystem::path& file);

}  // namespace korvid::commands
