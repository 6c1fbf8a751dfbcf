#pragma once

#include <cstddef>

namespace tabulix::cli {

// Gives pugixml the command's allocation, in which blocks of 32 KiB and more come from an arena advised
// for huge pages (operator new has it already). Called before the first document is made.
void UseLargeBlockArenaForXml();

// Has another thread fault in the large blocks' memory ahead of their use (TLargeBlockArena::PrefaultAhead).
void PrefaultLargeBlocks(size_t ahead);

} // namespace tabulix::cli
