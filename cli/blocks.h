#pragma once
// The settings blocks as the command line names them: the shared tables and
// file format (settings/blocks.h, core/backup.h) under kzctl's names.
#include "core/backup.h"
#include "settings/blocks.h"

namespace cli {

using ::Family;
using ::FamilyName;
using ::ParseFamily;
using backup::Block;
using backup::EncodeExact;
using backup::FieldName;
using settings::Blocks;
using settings::FindBlock;

} // namespace cli
