#pragma once
// The window's merge of the selected captures of one tape: the captures
// are lined up first, the plan is shown with the question, and only on
// yes is NAME_merged.avi written (beside the first capture, or in the
// output folder), with its CSV and the spans to capture again beside it.
// Progress and abort work as for the conversions.

#include <filesystem>
#include <optional>
#include <string_view>
#include <vector>

#include "commands/conversion_commands.h"
#include "commands/runners.h"
#include "media/video_record.h"

namespace korvid::commands {

inline constexpr std::string_view kMergedSuffix = "_merged.avi";

// Two or more files, all DV.
bool CanMergeSelection(const std::vector<const media::TAfficherFichier*>& selection);

// The merged file, or nothing when the user said no or stopped the run (a
// stopped merge writes nothing). Throws the job's UserError on failure.
std::optional<std::filesystem::path> MergeSelectedCaptures(const std::vector<std::filesystem::path>& captures,
                                                           ConversionServices& services);

// The window's command over the list's selection, in list order: the
// status text, gauge and locked list of a conversion, a message for a
// selection that cannot be merged or a merge that failed, and the merged
// file added to the list.
void MergeSelectedEntries(RunContext& context, ConversionServices& services);

}  // namespace korvid::commands
