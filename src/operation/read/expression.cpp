#include "operation/read/expression.hpp"

#include <cctype>

#include "operation/read/exception.hpp"
#include "util/string.hpp"

namespace operation {
namespace {

using util::string::concat;

constexpr std::string_view mux_advice =
    "A multiplexer (`? :`) is not supported: the gate catalogue has none. Map the design without "
    "multiplexers, e.g. with Yosys `abc -g AND,NAND,OR,NOR,XOR,XNOR,ANDNOT,ORNOT` or `aigmap`.";

bool is_blank(char c) { return util::string::whitespace.find(c) != std::string_view::npos; }
bool starts_name(char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_' || c == '\\'; }
bool continues_name(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '$'; }
bool continues_number(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '\'' || c == '?';
}

// A token of an expression: a name, a number or an operator's characters.
struct Token {
  enum class Kind : std::uint8_t { end, name, number, symbol };
  Kind kind_ = Kind::end;
  std::string_view text_;
  std::size_t begin_ = 0;
};

// Reads an expression's text token by token and builds its terms.
class Parser {
 public:
  Parser(std::string_view text, const VectorRanges& vectors, siz_t lineno)
      : text_(text), vectors_(vectors), lineno_(lineno) {
    advance();
  }

  Expression expression() {
    Expression result;
    expression_ = &result;
    or_term();
    expect_end();
    return result;
  }

  std::vector<BitRef> target() {
    Expression result;
    expression_ = &result;
    if (token_.kind_ == Token::Kind::number)
      fail(concat("`", token_.text_, "` is a constant: it cannot be assigned."));
    if (token_.kind_ != Token::Kind::name && !at("{")) fail(concat("Unknown name `", text_, "`."));
    leaf();
    expect_end();
    return std::move(result.bits_);
  }

 private:
  [[noreturn]] void fail(std::string_view message) const { throw ReadException(message, lineno_); }

  void advance() {
    while (position_ < text_.size() && is_blank(text_[position_])) ++position_;
    const std::size_t begin = position_;
    if (begin == text_.size()) {
      token_ = {Token::Kind::end, {}, begin};
      return;
    }
    const char c = text_[begin];
    Token::Kind kind = Token::Kind::symbol;
    if (c == '\\') {
      while (position_ < text_.size() && !is_blank(text_[position_])) ++position_;
      kind = Token::Kind::name;
    } else if (starts_name(c)) {
      while (position_ < text_.size() && continues_name(text_[position_])) ++position_;
      kind = Token::Kind::name;
    } else if (std::isdigit(static_cast<unsigned char>(c)) || c == '\'') {
      while (position_ < text_.size() && continues_number(text_[position_])) ++position_;
      kind = Token::Kind::number;
    } else {
      ++position_;
      constexpr std::string_view pairs[] = {
          "~&", "~|", "~^", "^~", "&&", "||", "==", "!=", "<=", ">=", "<<", ">>", "**"};
      for (const std::string_view pair : pairs)
        if (text_.substr(begin, 2) == pair) position_ = begin + 2;
    }
    token_ = {kind, text_.substr(begin, position_ - begin), begin};
  }

  bool at(std::string_view symbol) const {
    return token_.kind_ == Token::Kind::symbol && token_.text_ == symbol;
  }

  void expect(std::string_view symbol) {
    if (!at(symbol)) unexpected();
    advance();
  }

  void expect_end() {
    if (token_.kind_ != Token::Kind::end) unexpected();
  }

  [[noreturn]] void unexpected() const {
    if (at("?") || at(":")) fail(mux_advice);
    if (at(";")) fail("One statement per line: `;` ends the line's statement.");
    if (token_.kind_ == Token::Kind::symbol && !at("(") && !at(")") && !at("{") && !at("}") && !at(",") &&
        !at("[") && !at("]") && !at("~") && !at("&") && !at("|") && !at("^"))
      fail(concat("Operator `", token_.text_,
                  "` is not supported: only ~, &, | and ^ on bits are gates. Synthesise arithmetic, "
                  "comparisons and reductions to gates first (e.g. Yosys `synth`)."));
    if (token_.kind_ == Token::Kind::end || at("~") || at("&") || at("|") || at("^"))
      fail("Could not detect gate.");
    fail(concat("Unexpected `", token_.text_, "` in `", text_, "`."));
  }

  std::uint32_t add(Term term) {
    expression_->terms_.push_back(term);
    return static_cast<std::uint32_t>(expression_->terms_.size() - 1);
  }

  std::size_t end_of_previous() const {
    std::size_t end = token_.begin_;
    while (end > 0 && is_blank(text_[end - 1])) --end;
    return end;
  }

  // Operators of one level: `next` reads the operands.
  template <typename Next>
  std::uint32_t binary(std::string_view symbol, Term::Kind kind, Next next) {
    std::uint32_t left = (this->*next)();
    while (at(symbol)) {
      advance();
      const std::uint32_t right = (this->*next)();
      Term term;
      term.kind_ = kind;
      term.left_ = left;
      term.right_ = right;
      term.begin_ = expression_->terms_[left].begin_;
      term.end_ = expression_->terms_[right].end_;
      left = add(term);
    }
    return left;
  }

  std::uint32_t or_term() {
    const std::uint32_t term = binary("|", Term::Kind::disjunction, &Parser::xor_term);
    if (at("?")) fail(mux_advice);
    return term;
  }
  std::uint32_t xor_term() { return binary("^", Term::Kind::exclusion, &Parser::and_term); }
  std::uint32_t and_term() { return binary("&", Term::Kind::conjunction, &Parser::unary_term); }

  std::uint32_t unary_term() {
    const std::size_t begin = token_.begin_;
    if (at("~")) {
      advance();
      Term term;
      term.kind_ = Term::Kind::negation;
      term.left_ = unary_term();
      term.begin_ = begin;
      term.end_ = expression_->terms_[term.left_].end_;
      return add(term);
    }
    if (at("(")) {
      advance();
      const std::uint32_t inner = or_term();
      expect(")");
      expression_->terms_[inner].begin_ = begin;
      expression_->terms_[inner].end_ = end_of_previous();
      return inner;
    }
    return leaf();
  }

  // A name with an optional select, a number, or a concatenation of them: one leaf term.
  std::uint32_t leaf() {
    Term term;
    term.begin_ = token_.begin_;
    term.first_ = static_cast<std::uint32_t>(expression_->bits_.size());
    leaf_bits();
    term.width_ = static_cast<std::uint32_t>(expression_->bits_.size()) - term.first_;
    term.end_ = end_of_previous();
    return add(term);
  }

  void leaf_bits() {
    if (at("{")) {
      advance();
      leaf_bits();
      while (at(",")) {
        advance();
        leaf_bits();
      }
      expect("}");
    } else if (token_.kind_ == Token::Kind::name) {
      const std::string_view name = token_.text_;
      advance();
      if (at("[")) {
        select_bits(name);
      } else if (const auto vector = vectors_.find(name); vector != vectors_.end()) {
        for (std::int64_t k = 0; k < vector->second.width(); ++k)
          push(BitRef{bit_name(name, vector->second.index(k))});
      } else {
        push(BitRef{std::string(name)});
      }
    } else if (token_.kind_ == Token::Kind::number) {
      number_bits(token_.text_);
      advance();
    } else {
      unexpected();
    }
  }

  // "[i]" or "[msb:lsb]" after the vector `name`.
  void select_bits(std::string_view name) {
    const std::size_t begin = token_.begin_;
    const std::size_t close = text_.find(']', begin);
    if (close == std::string_view::npos) fail(concat("Malformed select `", text_.substr(begin), "`."));
    const std::string_view inside = text_.substr(begin + 1, close - begin - 1);
    const std::size_t colon = inside.find(':');
    const auto first = parse_index(inside.substr(0, colon));
    const auto last = colon == std::string_view::npos ? first : parse_index(inside.substr(colon + 1));
    const std::string_view select = text_.substr(begin, close + 1 - begin);
    if (!first || !last) fail(concat("Malformed select `", name, select, "`."));
    position_ = close + 1;
    advance();
    if (colon == std::string_view::npos) {
      push(BitRef{bit_name(name, *first)});
      return;
    }
    const auto vector = vectors_.find(name);
    if (vector == vectors_.end()) fail(concat("Unknown vector `", name, "` in `", name, select, "`."));
    const BitRange& range = vector->second;
    const bool descending = range.msb_ > range.lsb_;
    if (!range.holds(*first) || !range.holds(*last) || (*first != *last && (*first > *last) != descending))
      fail(concat("The part-select `", name, select, "` does not lie within `", name, "[", range.msb_, ":",
                  range.lsb_, "]` in its order."));
    const std::int64_t step = *first > *last ? -1 : 1;
    for (std::int64_t i = *first;; i += step) {
      push(BitRef{bit_name(name, i)});
      if (i == *last) break;
    }
  }

  // A constant: "0", "1" or a sized number "4'd9", "2'h2", "1'b1", leftmost bit first.
  void number_bits(std::string_view number) {
    if (number == "0" || number == "1") return push(BitRef{{}, number == "1"});
    const std::size_t quote = number.find('\'');
    const std::int64_t width =
        quote == std::string_view::npos ? 0 : parse_index(number.substr(0, quote)).value_or(0);
    std::string_view digits = quote == std::string_view::npos ? number : number.substr(quote + 1);
    if (!digits.empty() && (digits[0] == 's' || digits[0] == 'S')) digits.remove_prefix(1);
    const char base =
        digits.empty() ? '\0' : static_cast<char>(std::tolower(static_cast<unsigned char>(digits[0])));
    const int bits_per_digit = base == 'b' ? 1 : base == 'o' ? 3 : base == 'h' ? 4 : base == 'd' ? 0 : -1;
    if (width == 0 || width > 65536 || bits_per_digit < 0 || digits.size() < 2)
      fail(
          concat("Unsupported number `", number, "`: write constants with their width, as in 4'd9 or 1'h0."));
    digits.remove_prefix(1);
    std::vector<bool> value;  // least significant bit first
    if (bits_per_digit == 0) {
      std::uint64_t decimal = 0;
      for (const char d : digits) {
        if (d == '_') continue;
        if (!std::isdigit(static_cast<unsigned char>(d)) || decimal > (~std::uint64_t{0} - 9) / 10)
          fail(concat("Unsupported number `", number, "`: only 0 and 1 digits of a known value."));
        decimal = decimal * 10 + static_cast<std::uint64_t>(d - '0');
      }
      for (; decimal != 0; decimal >>= 1) value.push_back(decimal & 1);
    } else {
      for (auto d = digits.rbegin(); d != digits.rend(); ++d) {
        if (*d == '_') continue;
        const int digit = std::isdigit(static_cast<unsigned char>(*d))    ? *d - '0'
                          : std::isxdigit(static_cast<unsigned char>(*d)) ? std::tolower(*d) - 'a' + 10
                                                                          : 99;
        if (digit >= (1 << bits_per_digit))
          fail(concat("Unsupported number `", number, "`: only digits of a known value (no x or z)."));
        for (int b = 0; b < bits_per_digit; ++b) value.push_back((digit >> b) & 1);
      }
    }
    while (value.size() > static_cast<std::size_t>(width) && !value.back()) value.pop_back();
    if (value.size() > static_cast<std::size_t>(width))
      fail(concat("The number `", number, "` does not fit in its width."));
    for (std::int64_t k = width - 1; k >= 0; --k)
      push(BitRef{{}, static_cast<std::size_t>(k) < value.size() && value[static_cast<std::size_t>(k)]});
  }

  void push(BitRef bit) { expression_->bits_.push_back(std::move(bit)); }

  std::string_view text_;
  const VectorRanges& vectors_;
  siz_t lineno_;
  std::size_t position_ = 0;
  Token token_;
  Expression* expression_ = nullptr;
};

}  // namespace

Expression parse_expression(std::string_view text, const VectorRanges& vectors, siz_t lineno) {
  return Parser(text, vectors, lineno).expression();
}

std::vector<BitRef> parse_target(std::string_view text, const VectorRanges& vectors, siz_t lineno) {
  return Parser(text, vectors, lineno).target();
}

}  // namespace operation
