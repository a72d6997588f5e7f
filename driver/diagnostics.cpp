// Names of the front end's enumerations and the expression printer, for
// diagnosing designs and token streams by hand.
#include "driver/diagnostics.h"

#include <array>
#include <iostream>
#include <string_view>
#include <vector>

namespace gsmith {

namespace {

constexpr std::array<const char *, 35> kTokenTypeNames = {
    "IDENTIFIER", "NUMBER", "DEVICE",    "PIN",        "INPUT",       "OUTPUT", "REGISTERED",
    "GCLK1",      "GCLK2",  "GCLK3",     "RESET",      "GCLR",        "OE",     "OE1",
    "OE2",        "ALWAYS", "PRODUCT",   "GOE1",       "GOE2",        "GOE6",   "CE",
    "PRESET",     "NODE",   "SIGNATURE", "POWER_DOWN", "EQUALS",      "AND",    "OR",
    "XOR",        "NOT",    "DOT",       "LEFT_PAREN", "RIGHT_PAREN", "EOF",    "UNKNOWN"};
constexpr std::array<const char *, 4> kClockSourceNames = {"NONE", "GCLK1", "GCLK2", "GCLK3"};
constexpr std::array<const char *, 6> kOutputEnableNames = {"DISABLED", "ALWAYS", "OE1",
                                                            "OE2",      "GOE6",   "PRODUCT"};
constexpr std::array<const char *, 3> kResetSourceNames = {"NONE", "GCLR", "PRODUCT"};

template <typename Enum, size_t N>
const char *nameOf(const std::array<const char *, N> &names, Enum value) {
  auto index = static_cast<int64_t>(value);
  if (index < 0 || index >= static_cast<int64_t>(N))
    return "UNKNOWN";
  // cppcheck-suppress CastIntegerToAddressAtReturn ; names holds pointers, not integers
  return names[static_cast<size_t>(index)];
}

} // namespace

const char *tokenTypeName(TokenType type) { return nameOf(kTokenTypeNames, type); }
const char *clockSourceName(ClockSource source) { return nameOf(kClockSourceNames, source); }
const char *outputEnableName(OutputEnableSource source) {
  return nameOf(kOutputEnableNames, source);
}
const char *resetSourceName(ResetSource source) { return nameOf(kResetSourceNames, source); }

void printExpression(const std::shared_ptr<Expression> &expression) {
  printExpression(std::cout, expression);
}

void printExpression(std::ostream &out, const std::shared_ptr<Expression> &expression) {
  // An explicit stack keeps the printer safe on the deepest trees the parser
  // accepts. Each entry is either a node still to expand or literal text.
  struct Item {
    const Expression *node;
    std::string_view text;
  };
  std::vector<Item> pending;
  if (expression)
    pending.push_back({expression.get(), {}});
  while (!pending.empty()) {
    Item item = pending.back();
    pending.pop_back();
    if (item.node == nullptr) {
      out << item.text;
      continue;
    }
    const Expression &node = *item.node;
    switch (node.type) {
    case ExpressionType::IDENTIFIER:
      out << node.name;
      break;
    case ExpressionType::CONSTANT:
      out << (node.value ? "1" : "0");
      break;
    case ExpressionType::NOT:
      out << "(!";
      pending.push_back({nullptr, ")"});
      if (node.left)
        pending.push_back({node.left.get(), {}});
      break;
    case ExpressionType::AND:
    case ExpressionType::OR:
    case ExpressionType::XOR: {
      std::string_view op = node.type == ExpressionType::AND  ? " & "
                            : node.type == ExpressionType::OR ? " | "
                                                              : " ^ ";
      out << "(";
      pending.push_back({nullptr, ")"});
      if (node.right)
        pending.push_back({node.right.get(), {}});
      pending.push_back({nullptr, op});
      if (node.left)
        pending.push_back({node.left.get(), {}});
      break;
    }
    }
  }
}

} // namespace gsmith
