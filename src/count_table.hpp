#pragma once

#include <cstdint>
#include <deque>
#include <filesystem>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "multiprecision.hpp"
#include "operation/gate.hpp"
#include "operation/operation.hpp"
#include "util/error.hpp"

// A count file that cannot be read or does not belong to the job. Its text is
// "FILE: Line N: message", or "FILE: message" when no line is concerned.
class CountFileException : public util::input_error {
 public:
  CountFileException(const std::filesystem::path& file, operation::siz_t line, std::string_view message);
  ~CountFileException() override;
};

// The combination counts of one job's count files ("name,gate,combinations" rows), summed as
// unbounded integers. The first file fixes the gates, their kinds and their order; every later
// file must hold the same gates with the same kinds, in any order. A name that occurs several
// times is matched occurrence by occurrence: its k-th row in a later file adds to its k-th row in
// the first file.
class CountTable {
 public:
  CountTable() = default;
  // A table that also keeps the counts of the file read last (`file_combs`), as replicates need.
  explicit CountTable(bool keep_file_counts) : keep_file_counts_(keep_file_counts) {}
  // The name map holds views into the stored names, so a table is moved, never copied.
  CountTable(const CountTable&) = delete;
  CountTable& operator=(const CountTable&) = delete;
  CountTable(CountTable&&) = default;
  CountTable& operator=(CountTable&&) = default;

  // Reads one count file and adds its counts. Throws `CountFileException` when the file cannot be
  // read, is empty or ends inside a line (cut short), does not begin with the count file's header
  // "name,gate,combinations", a row is
  // malformed (fewer than two fields, an unknown gate kind, a count that is not a non-negative
  // integer, not exactly 2^n counts separated by single blanks) or does not match the first file
  // (a name it lacks, another gate kind, a different number of rows).
  void add_file(const std::filesystem::path& file);

  // The number of gates, that is of rows of the first file.
  operation::nid_t size() const { return static_cast<operation::nid_t>(gates_.size()); }
  // The name of gate `nid`, as the first file gives it.
  std::string_view name(operation::nid_t nid) const { return nodes_[nid]; }
  // The kind of gate `nid`.
  operation::Gate gate(operation::nid_t nid) const { return gates_[nid]; }
  // The summed counts of gate `nid`'s input combinations (2^n entries).
  const combs_vector& combs(operation::nid_t nid) const { return all_combs_[nid]; }
  // The counts of gate `nid` in the file read last; only in a table that keeps them.
  const combs_vector& file_combs(operation::nid_t nid) const { return file_combs_[nid]; }
  // The number of files read.
  std::uint32_t files() const { return file_index_; }

 private:
  // Enters a row of the first file as a new gate and returns its index.
  operation::nid_t add_gate(std::string_view name, std::string_view kind, const std::filesystem::path& file,
                            operation::siz_t line);
  // The gate of the first file that a later file's row stands for: the next occurrence of the
  // name not yet matched in this file, which must be of the same kind. `row` is the row's place in
  // its file: files of one job list their gates in the same order, so the gate at that place is
  // tried first.
  operation::nid_t match_gate(std::string_view name, std::string_view kind, operation::nid_t row,
                              const std::filesystem::path& file, operation::siz_t line);
  // The next occurrence of the name not yet matched in the current file.
  operation::nid_t find_unmatched(std::string_view name, operation::nid_t row,
                                  const std::filesystem::path& file, operation::siz_t line) const;
  // Throws unless every gate of the first file had its row in the current file, which ended
  // before line `end`.
  void check_all_matched(const std::filesystem::path& file, operation::siz_t end) const;

  std::deque<std::string> nodes_;                                   // names, never moved once stored
  std::unordered_map<std::string_view, operation::nid_t> node_id_;  // name → first occurrence
  std::vector<operation::nid_t> next_same_;  // next occurrence of the same name, or `no_gate`
  std::vector<bool> repeated_;               // whether the name occurs more than once
  std::vector<operation::Gate> gates_;       // kinds, as the first file gives them
  std::vector<combs_vector> all_combs_;      // summed input-combination counts
  bool keep_file_counts_ = false;
  std::vector<combs_vector> file_combs_;   // the counts of the file read last, when kept
  std::vector<std::uint32_t> matched_in_;  // the last file whose row matched each gate
  std::uint32_t file_index_ = 0;           // the current file, 0 for the first
  std::filesystem::path first_file_;

  static constexpr operation::nid_t no_gate = operation::limits::max_nodes;
};
