#pragma once
// Commands name the list's update type as their own: it is what their
// execution returns.

#include "list/update_type.h"

namespace korvid::commands {

using list::TchUpdateType;
using list::utAdd;
using list::utDelete;
using list::utModify;
using list::utNone;
using list::utRename;

}  // namespace korvid::commands
