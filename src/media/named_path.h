#pragma once
// A path named on the command line, looked at before anything opens it:
// the same faults get the same words from every option and switch.

#include <string>

#include "resources/string_table.h"

namespace korvid::media {

// Why `path` names nothing to read or scan (kPathNotFound, kPathTooLong,
// kNotRegularFile), or Text::kCount when it names a folder or a regular
// file, through a link too; `folder` tells which.
resources::Text NamedPathFault(const std::string& path, bool& folder);

}  // namespace korvid::media
