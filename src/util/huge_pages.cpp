#include "util/huge_pages.hpp"

#include <sys/mman.h>

#include <cstdint>

namespace util {

void advise_huge_pages(void* address, std::size_t bytes) {
#ifdef MADV_HUGEPAGE
  // madvise wants a page-aligned start; the advice covers whole pages.
  constexpr std::uintptr_t page = 4096;
  const auto start = (reinterpret_cast<std::uintptr_t>(address) + page - 1) & ~(page - 1);
  const auto end = reinterpret_cast<std::uintptr_t>(address) + bytes;
  if (start < end) madvise(reinterpret_cast<void*>(start), end - start, MADV_HUGEPAGE);
#else
  (void)address;
  (void)bytes;
#endif
}

}  // namespace util
