#include "job/error.hpp"

namespace job {

error::~error() = default;

void refuse(const std::string& message) { throw error(exit_status::refused, message); }

}  // namespace job
