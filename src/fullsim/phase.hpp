#pragma once

#include <iostream>
#include <string_view>

#include "util/phase.hpp"

namespace fullsim {

// Starts a timed phase of fullsim: its name on a line now, and at its end "NAME: time = S.SSSSSs".
inline util::phase phase(std::string_view name, std::ostream& out = std::cout) {
  return util::phase(name, ": time = ", out);
}

}  // namespace fullsim
