#include "fullsim/statistics.hpp"

#include <cstdint>
#include <filesystem>
#include <string>

#include "counting/count.hpp"
#include "util/output_file.hpp"
#include "util/printer.hpp"
#include "util/string.hpp"

namespace fullsim {

using operation::nid_t;
using params = util::argparse::params;

namespace {

// Writes `value` and a line end to the file of option `name`, when it was given.
void save_number(const params& args, const std::string& name, std::uint64_t value) {
  if (args.is_set(name))
    util::write_file(args.get<std::filesystem::path>(name), util::string::concat(value, '\n'));
}

void save_signals(const params& args, const operation::Circuit& circ, const std::vector<nid_t>& ranks) {
  if (!args.is_set("-save-signals")) return;
  const std::vector<std::uint64_t> signals = circ.section_signals(ranks);
  util::write_file(args.get<std::filesystem::path>("-save-signals"),
                   util::string::concat(util::printer(signals).sep("\n"), '\n'));
}

void save_ranks(const params& args, const operation::Circuit& circ, const std::vector<nid_t>& ranks) {
  if (!args.is_set("-save-ranks")) return;
  util::output_file file(args.get<std::filesystem::path>("-save-ranks"));
  std::ostream& out = file.stream();
  out << "name,rank\n";
  // Level k holds the positions ranks[k] to ranks[k + 1] - 1; level 0 the constant and the inputs.
  for (nid_t level = 0; level <= static_cast<nid_t>(counting::level_count(ranks)); ++level)
    for (nid_t n = ranks[level]; n < ranks[level + 1]; ++n) out << circ.name(n) << ',' << level << '\n';
  file.commit();
}

}  // namespace

void save_statistics(const params& args, const operation::Circuit& circ, const std::vector<nid_t>& ranks) {
  save_number(args, "-save-inputs", circ.input_count());
  save_number(args, "-save-outputs", circ.output_count());
  save_number(args, "-save-size", circ.size());
  save_number(args, "-save-depth", counting::level_count(ranks));
  save_signals(args, circ, ranks);
  save_ranks(args, circ, ranks);
}

}  // namespace fullsim
