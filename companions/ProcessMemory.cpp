#include "companions/ProcessMemory.h"

#include <cstdint>

#include <malloc.h>
#include <sys/mman.h>

namespace {

// What the process may keep unused: well above a page of a printout, well below what a
// desktop program may hold.
constexpr int KeptFreeBytes = 64 * 1024 * 1024;
// Blocks smaller than this come from the heap, so their memory is kept as well.
constexpr int OwnMappingBytes = 32 * 1024 * 1024;
// The size of a huge page on the x86-64 and arm64 desktops the program runs on.
constexpr std::uintptr_t HugePageBytes = 2 * 1024 * 1024;

} // namespace

void KeepFreedMemoryForReuse()
{
    mallopt(M_TRIM_THRESHOLD, KeptFreeBytes);
    mallopt(M_MMAP_THRESHOLD, OwnMappingBytes);
}

void PreferHugePages(const void *block, std::size_t bytes)
{
    const auto begin = reinterpret_cast<std::uintptr_t>(block);
    const std::uintptr_t first = (begin + HugePageBytes - 1) & ~(HugePageBytes - 1);
    const std::uintptr_t end = (begin + bytes) & ~(HugePageBytes - 1);
    // Only a hint: where the system has no huge pages to give, the block stays as it was.
    if (block != nullptr && first < end)
        madvise(reinterpret_cast<void *>(first), end - first, MADV_HUGEPAGE);
}
