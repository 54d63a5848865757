#include "job/job_file.hpp"

#include <cstdlib>
#include <fstream>
#include <regex>

#include "job/error.hpp"
#include "job/files.hpp"
#include "util/output_file.hpp"
#include "util/string.hpp"

namespace job {

namespace fs = std::filesystem;
using util::string::concat;

namespace {

// Reads one "key<TAB>value" line into `params`; false for an unknown key.
bool read_line(std::string_view key, std::string_view value, std::uint64_t line, const fs::path& file,
               parameters& params) {
  const auto count = [&](std::string_view what) {
    const auto number = util::string::to_unsigned<std::uint64_t>(value);
    if (!number || *number == 0)
      throw util::input_error(concat("The ", what, " is not a positive number."), line, file);
    return *number;
  };
  if (key == "netlist") {
    params.netlist = value;
  } else if (key == "checksum") {
    params.checksum = value;
  } else if (key == "workers") {
    params.workers = count("worker count");
  } else if (key == "replicates") {
    params.workers = count("worker count");
    params.sampled = true;
  } else if (key == "sampling") {
    params.sampling = value;
  } else if (key == "round") {
    params.round = count("round size");
  } else if (key == "target-error") {
    if (!target_error_value(value))
      throw util::input_error("The target error is not a positive number.", line, file);
    params.target_error = value;
  } else if (key == "option") {
    params.fixed_options.emplace_back(value);
  } else if (key == "run-option") {
    params.run_options.emplace_back(value);
  } else {
    return false;
  }
  return true;
}

}  // namespace

unsigned sel_bits(const parameters& params) {
  unsigned bits = 0;
  if (!params.sampled)
    while (bits < 64 && (std::uint64_t{1} << bits) < params.workers) ++bits;
  return bits;
}

std::string job_text(const parameters& params) {
  std::string text = concat("netlist\t", params.netlist.string(), "\nchecksum\t", params.checksum, '\n');
  if (params.sampled) {
    text += concat("replicates\t", params.workers, "\nsampling\t", params.sampling, '\n');
    if (params.round != params.workers || !params.target_error.empty())
      text += concat("round\t", params.round, '\n');
    if (!params.target_error.empty()) text += concat("target-error\t", params.target_error, '\n');
  } else {
    text += concat("workers\t", params.workers, '\n');
  }
  for (const std::string& word : params.fixed_options) text += concat("option\t", word, '\n');
  for (const std::string& word : params.run_options) text += concat("run-option\t", word, '\n');
  return text;
}

parameters read_job_file(const fs::path& file) {
  std::ifstream in(file);
  if (!in)
    throw util::input_error("Could not read the job file: is this a job directory of infoloss-job?", 0, file);
  parameters params;
  std::string line;
  for (std::uint64_t number = 1; std::getline(in, line); ++number) {
    std::string_view value;
    const std::string_view key = util::string::lsplit(line, "\t", value);
    if (!read_line(key, value, number, file, params))
      throw util::input_error(concat("unknown line '", key, "'"), 0, file);
  }
  if (params.netlist.empty() || params.workers == 0)
    throw util::input_error("The job file names no netlist or no worker count.", 0, file);
  if (params.sampled) {
    if (params.sampling.empty()) params.sampling = "batch";
    if (params.round == 0) params.round = params.workers;
  }
  return params;
}

void write_job_file(const fs::path& dir, const parameters& params) {
  try {
    util::write_file(dir / "job", job_text(params));
  } catch (const util::file_not_writable&) {
    refuse(concat("cannot write ", (dir / "job").string()));
  }
}

recorded_job load_job(const fs::path& dir) {
  if (!is_file(dir / "job"))
    refuse(concat(dir.string(), " holds no job (start it with: ", program_name, " NETLIST -workers N -dir ",
                  dir.string(), ")"));
  try {
    return {dir, read_job_file(dir / "job")};
  } catch (const util::input_error& error) {
    refuse(error.what());
  }
}

std::optional<std::string> option_value(const std::vector<std::string>& words, std::string_view option) {
  for (std::size_t i = 0; i + 1 < words.size(); ++i)
    if (words[i] == option) return words[i + 1];
  return std::nullopt;
}

std::optional<double> target_error_value(std::string_view text) {
  static const std::regex decimal(R"(([0-9]+\.?[0-9]*|\.[0-9]+)([eE][-+]?[0-9]+)?)");
  const std::string word(text);
  if (!std::regex_match(word, decimal)) return std::nullopt;
  const double value = std::strtod(word.c_str(), nullptr);
  if (!(value > 0)) return std::nullopt;
  return value;
}

}  // namespace job
