#include "report/results.hpp"

#include <cstdlib>
#include <fstream>
#include <string_view>

#include "report/decimal.hpp"
#include "report/file_error.hpp"

namespace report {

namespace fs = std::filesystem;
using operation::siz_t;

namespace {

// The lines of a CSV file after its header, which must be one of `headers`; `header` receives it.
std::vector<std::string> read_rows(const fs::path& file, const std::vector<std::string_view>& headers,
                                   std::string& header) {
  std::ifstream in(file);
  if (!in || !std::getline(in, header)) throw file_error(file, 0, "Could not read the file.");
  bool known = false;
  for (const std::string_view expected : headers) known = known || header == expected;
  if (!known)
    throw file_error(file, 1, std::string("The header must be \"") + std::string(headers.front()) + "\".");
  std::vector<std::string> rows;
  for (std::string line; std::getline(in, line);) rows.push_back(std::move(line));
  return rows;
}

// Cuts a row into its name and `count` numbers: the numbers are the last fields, so a name may
// hold commas.
std::vector<std::string> cut_row(const std::string& row, std::size_t count, const fs::path& file,
                                 siz_t line) {
  std::vector<std::string> fields(count + 1);
  std::string_view rest = row;
  for (std::size_t k = count; k > 0; --k) {
    const std::size_t comma = rest.rfind(',');
    if (comma == std::string_view::npos || !is_decimal(rest.substr(comma + 1)))
      throw file_error(file, line,
                       count == 1
                           ? std::string("A row must be a name and a number.")
                           : "A row must be a name followed by " + std::to_string(count) + " numbers.");
    fields[k] = rest.substr(comma + 1);
    rest = rest.substr(0, comma);
  }
  fields[0] = rest;
  return fields;
}

std::string read_value(const fs::path& file) {
  std::ifstream in(file);
  std::string value;
  if (!in || !std::getline(in, value)) throw file_error(file, 0, "Could not read the file.");
  if (!is_decimal(value)) throw file_error(file, 1, "The file must hold one number.");
  return value;
}

}  // namespace

results read_results(const sources& from) {
  results found;
  std::string header;
  const std::vector<std::string> energy_rows =
      read_rows(from.energy, {"name,energy", "name,energy,std-error"}, header);
  found.has_errors = header == "name,energy,std-error";
  for (std::size_t r = 0; r < energy_rows.size(); ++r) {
    std::vector<std::string> fields = cut_row(energy_rows[r], found.has_errors ? 2 : 1, from.energy, r + 2);
    gate_result gate{std::move(fields[0]), std::move(fields[1]), std::nullopt, "", "", 0};
    if (found.has_errors) gate.error = std::move(fields[2]);
    gate.energy_bits = std::strtod(gate.energy.c_str(), nullptr);
    found.gates.push_back(std::move(gate));
  }

  const std::vector<std::string> entropy_rows =
      read_rows(from.entropy, {"name,in-entropy,out-entropy"}, header);
  if (entropy_rows.size() != found.gates.size())
    throw file_error(from.entropy, 0,
                     "The file has " + std::to_string(entropy_rows.size()) + " gates, the energy file " +
                         std::to_string(found.gates.size()) + ": they are not of one join.");
  for (std::size_t r = 0; r < entropy_rows.size(); ++r) {
    std::vector<std::string> fields = cut_row(entropy_rows[r], 2, from.entropy, r + 2);
    gate_result& gate = found.gates[r];
    if (fields[0] != gate.name)
      throw file_error(from.entropy, r + 2,
                       "The gate `" + fields[0] + "` is not the energy file's `" + gate.name +
                           "` on this row: the files are not of one join.");
    gate.in_entropy = std::move(fields[1]);
    gate.out_entropy = std::move(fields[2]);
  }

  found.total = read_value(from.total);
  if (from.total_error) found.total_error = read_value(*from.total_error);
  return found;
}

}  // namespace report
