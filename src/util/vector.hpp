#pragma once

#include <utility>

namespace util::vector {

// Empties a container and gives its storage back at once (clear() may keep the capacity).
template <typename Container>
void real_clear(Container& container) {
  Container().swap(container);
}

}  // namespace util::vector
