#include "operation/read/name_map.hpp"

#include <algorithm>
#include <cstring>
#include <functional>
#include <stdexcept>
#include <string>

#include "operation/node.hpp"

namespace operation {
namespace {

// The table holds at most this share of names per entry, so that probe runs stay short.
constexpr double max_load = 0.7;

std::uint64_t hash_of(std::string_view name) { return std::hash<std::string_view>{}(name); }

// The label of a used entry whose key hashes to `hash`.
std::uint8_t label_of(std::uint64_t hash) { return static_cast<std::uint8_t>(0x80 | (hash & 0x7F)); }

// The number of entries that holds `count` names.
siz_t entries_for(siz_t count) { return static_cast<siz_t>(static_cast<double>(count) / max_load) + 1; }

}  // namespace

std::string_view NameMap::Entry::key() const {
  if (size_ <= inline_size) return {key_, size_};
  const char* text;
  std::memcpy(&text, key_, sizeof text);
  return {text, size_};
}

void NameMap::reserve(siz_t count) {
  if (entries_for(count) > entries_.size()) rehash(entries_for(count));
}

bool NameMap::emplace(std::string_view name, const arc_t& arc) {
  if (name.size() > limits::max_node_name) throw std::runtime_error(std::string(name_too_long));
  if (entries_for(size_ + 1) > entries_.size()) rehash(std::max(entries_for(size_ + 1), 2 * entries_.size()));
  const std::uint64_t hash = hash_of(name);
  Entry& entry = entries_[position(name, hash)];
  if (entry.label_ != 0) return false;
  if (name.size() <= inline_size) {
    std::memcpy(entry.key_, name.data(), name.size());
  } else {
    const char* text = name.data();
    std::memcpy(entry.key_, &text, sizeof text);
  }
  entry.node_ = arc.node;
  entry.port_ = arc.port;
  entry.inverted_ = arc.inverted;
  entry.size_ = static_cast<nns_t>(name.size());
  entry.label_ = label_of(hash);
  ++size_;
  return true;
}

std::optional<arc_t> NameMap::find(std::string_view name) const {
  if (size_ == 0 || name.size() > limits::max_node_name) return std::nullopt;
  const Entry& entry = entries_[position(name, hash_of(name))];
  if (entry.label_ == 0) return std::nullopt;
  return arc_t(entry.node_, entry.port_, entry.inverted_);
}

void NameMap::prefetch(std::string_view name) const {
  if (entries_.empty()) return;
  // The 64 bytes from the home entry on: the entry, which may cross a cache line, and the entries
  // that a short probe run goes on to.
  const char* const start = reinterpret_cast<const char*>(&entries_[home(hash_of(name))]);
  __builtin_prefetch(start);
  __builtin_prefetch(start + 63);
}

siz_t NameMap::home(std::uint64_t hash) const {
  // The hash scaled to the table size: its high bits choose the entry.
  return static_cast<siz_t>((static_cast<unsigned __int128>(hash) * entries_.size()) >> 64);
}

siz_t NameMap::position(std::string_view name, std::uint64_t hash) const {
  siz_t i = home(hash);  // linear probing from there
  const std::uint8_t label = label_of(hash);
  while (true) {
    const Entry& entry = entries_[i];
    if (entry.label_ == 0 || (entry.label_ == label && entry.size_ == name.size() && entry.key() == name))
      return i;
    if (++i == entries_.size()) i = 0;
  }
}

void NameMap::rehash(siz_t count) {
  std::vector<Entry, util::huge_page_allocator<Entry>> old(count, Entry{});
  old.swap(entries_);
  for (const Entry& entry : old)
    if (entry.label_ != 0) entries_[position(entry.key(), hash_of(entry.key()))] = entry;
}

}  // namespace operation
