#include "run/choice.hpp"

#include <array>
#include <fstream>

#include "util/output_file.hpp"
#include "util/string.hpp"

namespace run {

namespace {

struct method_names {
  method id;
  std::string_view name;
  std::string_view title;
};

constexpr std::array<method_names, 3> names{{
    {method::enumerate, "enumerate", "enumeration (exact)"},
    {method::bdd, "bdd", "decision diagrams (exact)"},
    {method::sample, "sample", "sampling (estimate)"},
}};

const method_names& names_of(method chosen) {
  for (const method_names& entry : names)
    if (entry.id == chosen) return entry;
  return names.back();
}

std::filesystem::path method_file(const std::filesystem::path& dir) { return dir / "method"; }

}  // namespace

std::string_view method_name(method chosen) { return names_of(chosen).name; }

std::string_view method_title(method chosen) { return names_of(chosen).title; }

void write_choice(const std::filesystem::path& dir, const choice& chosen) {
  util::write_file(method_file(dir),
                   util::string::concat(method_name(chosen.method), '\n', chosen.why, '\n'));
}

std::optional<choice> read_choice(const std::filesystem::path& dir) {
  std::ifstream in(method_file(dir));
  std::string name, why;
  if (!std::getline(in, name)) return std::nullopt;
  std::getline(in, why);
  for (const method_names& entry : names)
    if (entry.name == name) return choice{entry.id, why};
  return std::nullopt;
}

}  // namespace run
