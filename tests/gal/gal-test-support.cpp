// Builders for hand-made GAL test inputs.
#include "tests/gal/gal-test-support.h"

#include "frontend/lexer.h"
#include "frontend/parser.h"
#include "target/registry.h"

#include <cctype>
#include <stdexcept>

namespace gsmith::testing {

namespace {

std::string_view trim(std::string_view text) {
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())))
    text.remove_prefix(1);
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
    text.remove_suffix(1);
  return text;
}

std::vector<std::string_view> split(std::string_view text, char separator) {
  std::vector<std::string_view> parts;
  size_t start = 0;
  for (size_t i = 0; i <= text.size(); ++i) {
    if (i == text.size() || text[i] == separator) {
      parts.push_back(trim(text.substr(start, i - start)));
      start = i + 1;
    }
  }
  return parts;
}

// A small recursive-descent reader for test expressions.
class ExpressionReader {
public:
  explicit ExpressionReader(std::string_view text) : text_(text) {}

  ExpressionPtr read() {
    ExpressionPtr result = binary(0);
    skipSpace();
    if (position_ != text_.size())
      throw std::invalid_argument("trailing text in test expression");
    return result;
  }

private:
  static constexpr char kOperators[] = {'|', '^', '&'};
  static constexpr ExpressionType kTypes[] = {ExpressionType::OR, ExpressionType::XOR,
                                              ExpressionType::AND};

  ExpressionPtr binary(int level) {
    if (level == 3)
      return unary();
    ExpressionPtr left = binary(level + 1);
    while (peek() == kOperators[level]) {
      ++position_;
      auto node = std::make_shared<Expression>();
      node->type = kTypes[level];
      node->left = left;
      node->right = binary(level + 1);
      left = node;
    }
    return left;
  }

  ExpressionPtr unary() {
    if (peek() == '!') {
      ++position_;
      auto node = std::make_shared<Expression>();
      node->type = ExpressionType::NOT;
      node->left = unary();
      return node;
    }
    if (peek() == '(') {
      ++position_;
      ExpressionPtr inner = binary(0);
      if (peek() != ')')
        throw std::invalid_argument("missing ')' in test expression");
      ++position_;
      return inner;
    }
    const size_t start = position_;
    while (position_ < text_.size() &&
           (std::isalnum(static_cast<unsigned char>(text_[position_])) || text_[position_] == '_'))
      ++position_;
    const std::string word(text_.substr(start, position_ - start));
    if (word.empty())
      throw std::invalid_argument("missing operand in test expression");
    auto node = std::make_shared<Expression>();
    if (word == "0" || word == "1") {
      node->type = ExpressionType::CONSTANT;
      node->value = word == "1";
    } else {
      node->name = word;
    }
    return node;
  }

  char peek() {
    skipSpace();
    return position_ < text_.size() ? text_[position_] : '\0';
  }

  void skipSpace() {
    while (position_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[position_])))
      ++position_;
  }

  std::string_view text_;
  size_t position_ = 0;
};

} // namespace

SOPExpression sop(std::string_view text) {
  SOPExpression sum;
  text = trim(text);
  if (text.empty() || text == "0")
    return sum;
  for (std::string_view termText : split(text, '|')) {
    ProductTerm term;
    if (termText != "1") {
      for (std::string_view literalText : split(termText, '&')) {
        const bool negated = !literalText.empty() && literalText.front() == '!';
        if (negated)
          literalText.remove_prefix(1);
        term.push_back({std::string(literalText), negated});
      }
    }
    sum.terms.push_back(term);
  }
  return sum;
}

NetSignal inputSignal(const std::string &name, int pin) {
  NetSignal signal;
  signal.name = name;
  signal.pin = pin;
  return signal;
}

NetSignal outputSignal(const std::string &name, int pin, bool registered) {
  NetSignal signal = inputSignal(name, pin);
  signal.isOutput = true;
  signal.registered = registered;
  return signal;
}

NetOutput combinationalOutput(const std::string &name, int pin, std::string_view sum) {
  NetOutput output;
  output.name = name;
  output.pin = pin;
  output.sum = testing::sop(sum);
  return output;
}

NetOutput registeredOutput(const std::string &name, int pin, std::string_view sum,
                           OutputEnableSource oe) {
  NetOutput output = combinationalOutput(name, pin, sum);
  output.registered = true;
  output.clock = ClockSource::GCLK1;
  output.outputEnable = oe;
  return output;
}

NetOutput withOE(NetOutput output, std::string_view oe) {
  output.outputEnable = OutputEnableSource::PRODUCT;
  output.hasOELogic = true;
  output.oeLogic = sop(oe);
  return output;
}

Netlist makeNetlist(const std::string &device, std::vector<NetSignal> inputs,
                    std::vector<NetOutput> outputs, GALMode galMode) {
  Netlist netlist;
  netlist.device = device;
  netlist.galMode = galMode;
  netlist.signals = std::move(inputs);
  for (const NetOutput &output : outputs) {
    NetSignal signal = outputSignal(output.name, output.pin, output.registered);
    signal.clock = output.clock;
    signal.outputEnable = output.outputEnable;
    netlist.signals.push_back(signal);
  }
  netlist.outputs = std::move(outputs);
  return netlist;
}

std::string fuseText(const std::vector<bool> &fuses, unsigned first, unsigned count) {
  std::string text;
  for (unsigned i = first; i < first + count; ++i)
    text += fuses.at(i) ? '1' : '0';
  return text;
}

Design parseSource(const std::string &source) {
  Lexer lexer(source);
  return Parser(lexer.tokenize(), TargetRegistry::features).parse();
}

ExpressionPtr expression(std::string_view text) { return ExpressionReader(text).read(); }

} // namespace gsmith::testing
