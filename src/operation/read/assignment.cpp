#include "operation/read/assignment.hpp"

#include <algorithm>

#include "operation/read/line.hpp"
#include "util/string.hpp"

namespace operation {
namespace {

// Appends the operand text `piece` (keeping only the first `max_operands`).
void add_operand(Assignment& assignment, std::string_view piece) {
  if (assignment.operand_count_ < Assignment::max_operands)
    assignment.operands_[assignment.operand_count_] = util::string::trim(piece, trim_sv);
  ++assignment.operand_count_;
}

}  // namespace

Assignment parse_assignment(std::string_view line) {
  Assignment assignment;
  std::string_view right, name;
  assignment.word_ = util::string::lsplit(util::string::lsplit(line, "=", right), " ", name);
  assignment.name_ = util::string::trim(name);
  right = util::string::trim(right);
  assignment.plain_ = right.find('(') == std::string_view::npos;
  std::size_t start = 0;  // where the current operand begins
  for (std::size_t i = 0; i < right.size(); ++i) {
    switch (right[i]) {
      case '&':
        ++assignment.ands_;
        break;
      case '|':
        ++assignment.ors_;
        break;
      case '^':
        ++assignment.xors_;
        break;
      default:
        continue;
    }
    add_operand(assignment, right.substr(start, i - start));
    start = i + 1;
  }
  if (start < right.size()) add_operand(assignment, right.substr(start));
  return assignment;
}

Gate detect_gate(const Assignment& assignment) {
  const std::size_t count = assignment.operand_count_;
  if (count == 1) return gates::WIRE;
  if (count == 2) {
    if (assignment.ands_ == 1) return gates::AND;
    if (assignment.ors_ == 1) return gates::OR;
    if (assignment.xors_ == 1) return gates::XOR;
    return gates::NONE;
  }
  if ((count == 6 && assignment.ands_ == 3) ||
      (count == 5 && assignment.ands_ == 2 && assignment.ors_ == 2)) {
    if (odd_occurrences(assignment.operands()).size() == 3) return gates::MAJ;
  }
  return gates::NONE;
}

std::vector<std::size_t> odd_occurrences(std::span<const std::string_view> operands) {
  std::vector<std::size_t> kept;
  std::array<int, Assignment::max_operands> repeats{};  // by the place of a text's first occurrence
  for (std::size_t i = 0; i < operands.size() && i < Assignment::max_operands; ++i) {
    const auto first =
        static_cast<std::size_t>(std::find(operands.begin(), operands.end(), operands[i]) - operands.begin());
    if (first == i || repeats[first] == 1) {
      repeats[first] = 0;
      kept.push_back(i);
    } else {
      ++repeats[first];
    }
  }
  return kept;
}

}  // namespace operation
