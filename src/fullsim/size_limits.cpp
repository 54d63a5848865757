#include "fullsim/size_limits.hpp"

#include <cstdint>
#include <optional>
#include <string>

#include "util/string.hpp"

namespace fullsim {

bool within_size_limits(const util::argparse::params& args, const operation::Circuit& circ,
                        std::ostream& err) {
  using util::string::concat;
  // A limit is read only when it was given and every limit before it passed.
  const auto limit = [&](const std::string& name) -> std::optional<std::uint32_t> {
    if (!args.is_set(name)) return std::nullopt;
    return args.get<std::uint32_t>(name);
  };
  std::string message;
  if (const auto inputs = limit("-limit-inputs"); inputs && circ.input_count() > *inputs)
    message = concat("input limit exceeded (", circ.input_count(), " > ", *inputs, ")");
  else if (const auto outputs = limit("-limit-outputs"); outputs && circ.output_count() > *outputs)
    message = concat("output limit exceeded (", circ.output_count(), " > ", *outputs, ")");
  else if (const auto size = limit("-limit-size"); size && circ.size() > *size)
    message = concat("size limit exceeded ", circ.size(), " > ", *size);
  if (message.empty()) return true;
  err << message << std::endl;
  return false;
}

}  // namespace fullsim
