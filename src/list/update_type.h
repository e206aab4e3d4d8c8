#pragma once
// What a command's execution tells the video list to do with the entry
// afterwards. The numeric values are those plug-ins see.

namespace korvid::list {

enum TchUpdateType {
  utNone = 0,    // nothing changes
  utAdd = 1,     // add the new file (an entry with the same path is replaced)
  utDelete = 2,  // the entry leaves the list
  utModify = 3,  // the entry is analysed again
  utRename = 4,  // the entry is analysed again under its new path and re-sorted
};

}  // namespace korvid::list
