#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

// The method "infoloss run" counts with, and why: what it records in the job directory and says in
// its summary.
namespace run {

// The methods, by the names "-method" gives them.
enum class method { enumerate, bdd, sample };

// A method and the reason it was chosen.
struct choice {
  run::method method = method::sample;
  std::string why;
};

// The method's name as "-method" and the method file write it: "enumerate", "bdd" or "sample".
std::string_view method_name(method chosen);

// What the method gives, for the summary: "enumeration (exact)", "decision diagrams (exact)" or
// "sampling (estimate)".
std::string_view method_title(method chosen);

// The method file DIR/method: the method's name on the first line, why on the second. Written so
// that it appears complete or not at all.
void write_choice(const std::filesystem::path& dir, const choice& chosen);

// The choice recorded in DIR/method; nothing when the file is missing or names no method (a job
// that infoloss-job started).
std::optional<choice> read_choice(const std::filesystem::path& dir);

}  // namespace run
