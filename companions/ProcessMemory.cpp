#include "companions/ProcessMemory.h"

#include <malloc.h>

namespace {

// What the process may keep unused: well above a page of a printout, well below what a
// desktop program may hold.
constexpr int KeptFreeBytes = 64 * 1024 * 1024;
// Blocks smaller than this come from the heap, so their memory is kept as well.
constexpr int OwnMappingBytes = 32 * 1024 * 1024;

} // namespace

void KeepFreedMemoryForReuse()
{
    mallopt(M_TRIM_THRESHOLD, KeptFreeBytes);
    mallopt(M_MMAP_THRESHOLD, OwnMappingBytes);
}
