#pragma once

#include <cstddef>
#include <memory>

namespace util {

// Asks the system to back the memory [address, address + bytes) with huge pages where it offers them
// on request (Linux transparent huge pages); a no-op elsewhere. Random accesses to a table of tens
// of megabytes then rarely miss the address translation cache, which costs far more than the access
// itself under virtualisation.
void advise_huge_pages(void* address, std::size_t bytes);

// An allocator that places arrays of 2 MiB or more on 2 MiB boundaries and advises huge pages for
// them; smaller arrays come from the standard allocator.
template <typename T>
struct huge_page_allocator {
  using value_type = T;
  static constexpr std::size_t huge_page = std::size_t{1} << 21;

  huge_page_allocator() = default;
  template <typename U>
  huge_page_allocator(const huge_page_allocator<U>&) {}

  T* allocate(std::size_t count) {
    const std::size_t bytes = count * sizeof(T);
    if (bytes < huge_page) return std::allocator<T>().allocate(count);
    void* memory = ::operator new (bytes, std::align_val_t{huge_page});
    advise_huge_pages(memory, bytes);
    return static_cast<T*>(memory);
  }

  void deallocate(T* memory, std::size_t count) {
    if (count * sizeof(T) < huge_page)
      std::allocator<T>().deallocate(memory, count);
    else
      ::operator delete (memory, std::align_val_t{huge_page});
  }

  template <typename U>
  bool operator==(const huge_page_allocator<U>&) const {
    return true;
  }
};

}  // namespace util
