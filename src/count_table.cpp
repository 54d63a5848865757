#include "count_table.hpp"

#include <algorithm>
#include <charconv>
#include <fstream>
#include <stdexcept>
#include <string>

#include "count_file.hpp"
#include "util/string.hpp"

namespace fs = std::filesystem;
using operation::Gate;
using operation::nid_t;
using operation::siz_t;
using util::string::concat;

CountFileException::CountFileException(const fs::path& file, siz_t line, std::string_view message)
    : util::input_error(message, line, file) {}

CountFileException::~CountFileException() = default;

namespace {

// The fields of a row that the table uses.
struct row {
  std::string_view name;
  std::string_view kind;
  std::string_view counts;  // the last field
};

row cut_row(std::string_view line, const fs::path& file, siz_t number) {
  const auto fields = util::string::split_all(line, ",");
  if (fields.size() < 2) {
    throw CountFileException(file, number,
                             "A row needs a name, a gate kind and the counts, separated by commas.");
  }
  return {fields[0], fields[1], fields.back()};
}

Gate lookup_gate(std::string_view kind, const fs::path& file, siz_t line) {
  try {
    return operation::gates::get(kind);
  } catch (const std::runtime_error& error) {
    throw CountFileException(file, line, error.what());
  }
}

// Reads one count as the multiprecision library reads integer text and adds it to `count`.
// Plain decimal numbers of up to 64 bits, which is what fullsim writes, take a path that
// allocates nothing.
void add_count(std::string_view token, mp_int& count, const fs::path& file, siz_t line) {
  std::uint64_t value = 0;
  const auto [end, error] = std::from_chars(token.data(), token.data() + token.size(), value);
  // A leading 0 makes the library read octal, so such texts take the general path.
  if (error == std::errc{} && end == token.data() + token.size() && (token[0] != '0' || token.size() == 1)) {
    count += value;
    return;
  }
  mp_int parsed;
  try {
    parsed = mp_int(std::string(token));
  } catch (const std::runtime_error&) {
    throw CountFileException(
        file, line, concat("The string \"", token, "\"could not be interpreted as a valid integer."));
  }
  if (parsed < 0) {
    throw CountFileException(file, line, concat("The count \"", token, "\" is negative."));
  }
  count += parsed;
}

// Adds the counts of a row's count field, which must hold exactly as many counts as `combs` has
// entries, separated by single blanks: anything else would shift or drop counts silently.
void add_counts(std::string_view field, combs_vector& combs, std::string_view name, Gate gate,
                const fs::path& file, siz_t line) {
  std::string_view rest = util::string::rtrim(field);
  const std::uint64_t needed = combs.size();
  const auto wrong_number = [&](std::uint64_t found) {
    return CountFileException(
        file, line,
        concat("Gate `", name, "` of kind ", gate.name(), " needs ", needed, " counts, found ", found, "."));
  };
  for (std::uint64_t i = 0; i < needed; ++i) {
    if (rest.empty()) {
      throw wrong_number(i);
    }
    const std::string_view token = util::string::lsplit(rest, " ", rest);
    if (token.empty()) {
      throw CountFileException(
          file, line,
          concat("Count ", i + 1, " of gate `", name, "` is empty: counts are separated by single blanks."));
    }
    add_count(token, combs[i], file, line);
  }
  if (!rest.empty()) {
    throw wrong_number(needed + util::string::split_all(rest, " ").size());
  }
}

// Every line that fullsim writes ends with a line end, so a file that ends inside line `number`
// (just read from `in`) was cut short: its last count may have lost digits.
void check_line_end(const std::istream& in, const fs::path& file, siz_t number) {
  if (in.eof()) {
    throw CountFileException(file, number, "The file ends inside this line: it may be truncated.");
  }
}

// The first line must be the header that fullsim writes: a file without it is no count file, and
// taking its first line for the header would drop a row.
void check_header(std::string_view line, const fs::path& file) {
  if (util::string::rtrim(line, "\r") != count_file_header) {
    throw CountFileException(file, 1,
                             concat("The header is not \"", count_file_header, "\": not a count file."));
  }
}

}  // namespace

void CountTable::add_file(const fs::path& file) {
  std::ifstream in(file);
  if (!in || fs::is_directory(file)) {
    throw CountFileException(file, 0, "Could not open the file.");
  }
  if (file_index_ == 0) {
    first_file_ = file;
  }
  if (keep_file_counts_) {
    for (combs_vector& combs : file_combs_) std::fill(combs.begin(), combs.end(), 0);
  }
  std::string line;
  siz_t number = 1;
  nid_t rows = 0;
  if (!std::getline(in, line)) {  // the header
    throw CountFileException(
        file, 0,
        in.bad() ? "Could not read the file." : "The file is empty: even the header line is missing.");
  }
  check_line_end(in, file, number);
  check_header(line, file);
  while (std::getline(in, line)) {
    ++number;
    check_line_end(in, file, number);
    if (util::string::trim(line).empty()) {
      continue;
    }
    const row fields = cut_row(line, file, number);
    const nid_t nid = file_index_ == 0 ? add_gate(fields.name, fields.kind, file, number)
                                       : match_gate(fields.name, fields.kind, rows, file, number);
    if (keep_file_counts_) {
      add_counts(fields.counts, file_combs_[nid], fields.name, gates_[nid], file, number);
      for (std::uint64_t i = 0; i < all_combs_[nid].size(); ++i) all_combs_[nid][i] += file_combs_[nid][i];
    } else {
      add_counts(fields.counts, all_combs_[nid], fields.name, gates_[nid], file, number);
    }
    ++rows;
  }
  if (in.bad()) {
    throw CountFileException(file, 0, "Could not read the file.");
  }
  if (file_index_ != 0) {
    check_all_matched(file, number + 1);
  }
  ++file_index_;
}

nid_t CountTable::add_gate(std::string_view name, std::string_view kind, const fs::path& file, siz_t line) {
  const Gate gate = lookup_gate(kind, file, line);
  const nid_t nid = size();
  const std::string_view stored = nodes_.emplace_back(name);
  const auto [first, inserted] = node_id_.emplace(stored, nid);
  if (!inserted) {
    nid_t last = first->second;
    while (next_same_[last] != no_gate) {
      last = next_same_[last];
    }
    next_same_[last] = nid;
    repeated_[first->second] = true;
  }
  next_same_.push_back(no_gate);
  repeated_.push_back(!inserted);
  gates_.push_back(gate);
  all_combs_.emplace_back(std::uint64_t{1} << gate.input_count());
  if (keep_file_counts_) {
    file_combs_.emplace_back(std::uint64_t{1} << gate.input_count());
  }
  matched_in_.push_back(file_index_);
  return nid;
}

nid_t CountTable::match_gate(std::string_view name, std::string_view kind, nid_t row, const fs::path& file,
                             siz_t line) {
  const nid_t nid = find_unmatched(name, row, file, line);
  if (kind != gates_[nid].name()) {
    const Gate gate = lookup_gate(kind, file, line);
    throw CountFileException(file, line,
                             concat("Gate `", name, "` is of kind ", gate.name(), " here but of kind ",
                                    gates_[nid].name(), " in the first file ", first_file_.string(), "."));
  }
  matched_in_[nid] = file_index_;
  return nid;
}

nid_t CountTable::find_unmatched(std::string_view name, nid_t row, const fs::path& file, siz_t line) const {
  // A name that occurs once needs no search when it stands where it stood in the first file.
  if (row < size() && !repeated_[row] && matched_in_[row] != file_index_ && nodes_[row] == name) {
    return row;
  }
  const auto found = node_id_.find(name);
  if (found == node_id_.end()) {
    throw CountFileException(
        file, line,
        concat("_Map_base::at: the first file ", first_file_.string(), " has no gate `", name, "`."));
  }
  siz_t occurrences = 1;
  for (nid_t nid = found->second; nid != no_gate; nid = next_same_[nid], ++occurrences) {
    if (matched_in_[nid] != file_index_) {
      return nid;
    }
  }
  throw CountFileException(file, line,
                           concat("_Map_base::at: the first file ", first_file_.string(), " has only ",
                                  occurrences - 1, " rows of gate `", name, "`."));
}

void CountTable::check_all_matched(const fs::path& file, siz_t end) const {
  for (nid_t nid = 0; nid < size(); ++nid) {
    if (matched_in_[nid] != file_index_) {
      throw CountFileException(file, end,
                               concat("The file ends without a row of gate `", nodes_[nid],
                                      "` of the first file ", first_file_.string(), "."));
    }
  }
}
