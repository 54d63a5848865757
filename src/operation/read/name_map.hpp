#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "operation/operation.hpp"
#include "util/huge_pages.hpp"

namespace operation {

// A hash map from a name to the arc it stands for, made for the millions of names of a netlist: the
// entries lie in one flat open-addressing table of 24 bytes each and hold keys of up to 16
// characters themselves, so that looking up such a name touches a single entry. Longer keys are
// views of text owned elsewhere (the circuit's node names). Keys are at most
// `limits::max_node_name` characters long.
class NameMap {
 public:
  // Makes room for `count` names, so that entering that many does not grow the table.
  void reserve(siz_t count);
  // Maps `name` to `arc` unless `name` is mapped already (the first entry wins); returns whether it
  // was entered. The text of a key longer than 16 characters must outlive the map. Throws
  // std::runtime_error "Name too long. Increase nns_t." for keys of 256 characters or more.
  bool emplace(std::string_view name, const arc_t& arc);
  // The arc of `name`, or nothing when it is not mapped.
  std::optional<arc_t> find(std::string_view name) const;
  // Asks the processor to fetch the entry where `name` would start its search, ahead of a `find`.
  void prefetch(std::string_view name) const;
  // The number of names mapped.
  siz_t size() const { return size_; }

 private:
  static constexpr std::size_t inline_size = 16;  // longest key stored in the entry itself

  struct Entry {
    char key_[inline_size];  // the key's text, or a pointer to it for longer keys
    nid_t node_;             // the arc
    pos_t port_;
    bool inverted_;
    nns_t size_;          // the key's length
    std::uint8_t label_;  // 0 for a free entry, else 128 plus 7 bits of the key's hash

    std::string_view key() const;
  };
  static_assert(sizeof(Entry) == 24, "an entry packs a key of 16 bytes and an arc into 24 bytes");

  // The entry where the search for a key of hash `hash` starts.
  siz_t home(std::uint64_t hash) const;
  // The index of the entry that holds `name` (of hash `hash`), or of the free entry where it belongs.
  siz_t position(std::string_view name, std::uint64_t hash) const;
  // Rebuilds the table with `count` entries.
  void rehash(siz_t count);

  std::vector<Entry, util::huge_page_allocator<Entry>> entries_;
  siz_t size_ = 0;
};

}  // namespace operation
