// Reads jedutil's equation report and compares it with the source design.
#include "tests/gal/jedutil-reader.h"

#include "tests/gal/gal-test-support.h"

#include <array>
#include <cstdio>
#include <functional>
#include <memory>
#include <set>
#include <sstream>
#include <stdexcept>
#include <unordered_map>

namespace gsmith::testing {

namespace {

std::string trim(const std::string &text) {
  const size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos)
    return "";
  const size_t last = text.find_last_not_of(" \t");
  return text.substr(first, last - first + 1);
}

std::vector<std::string> split(const std::string &text, char separator) {
  std::vector<std::string> parts;
  std::string part;
  std::istringstream in(text);
  while (std::getline(in, part, separator))
    parts.push_back(trim(part));
  if (!text.empty() && text.back() == separator)
    parts.push_back("");
  return parts;
}

DecodedLiteral parseLiteral(std::string text) {
  DecodedLiteral literal;
  if (!text.empty() && text[0] == '/') {
    literal.negated = true;
    text.erase(0, 1);
  }
  size_t digits = text.find_first_of("0123456789");
  literal.symbol = text.substr(0, digits);
  if (digits != std::string::npos)
    literal.pin = std::stoi(text.substr(digits));
  static const std::set<std::string> kKnown{"i", "o", "rf", "vcc", "gnd", "OE"};
  if (kKnown.count(literal.symbol) == 0)
    throw std::runtime_error("unexpected jedutil literal '" + text + "'");
  return literal;
}

DecodedSum parseSum(const std::string &text) {
  DecodedSum sum;
  if (trim(text).empty())
    return sum;
  for (const std::string &termText : split(text, '+')) {
    DecodedTerm term;
    for (const std::string &literalText : split(termText, '&'))
      if (!literalText.empty())
        term.push_back(parseLiteral(literalText));
    sum.push_back(term);
  }
  return sum;
}

int pinOfName(const std::string &name) {
  const size_t digits = name.find_first_of("0123456789");
  return digits == std::string::npos ? 0 : std::stoi(name.substr(digits));
}

const char *jedutilDeviceName(const std::string &device) {
  if (device == "GAL16V8B")
    return "GAL16V8";
  if (device == "GAL20V8B")
    return "GAL20V8";
  if (device == "GAL22V10B")
    return "GAL22V10";
  return nullptr;
}

using PinValues = std::array<bool, 32>;

// The source side: evaluates an equation over pin values, substituting
// NODEs by their own equations (independently of the compiler's lowering).
class SourceEvaluator {
public:
  explicit SourceEvaluator(const Design &design) {
    for (const PinDefinition &pin : design.pins)
      pins_.emplace(pin.name, pin.number);
    for (const Equation &equation : design.equations) {
      equations_.emplace(equation.name, equation.expression);
      if (equation.activeLow)
        activeLow_.insert(equation.name);
    }
  }

  bool evaluate(const ExpressionPtr &e, const PinValues &values) const {
    switch (e->type) {
    case ExpressionType::IDENTIFIER:
      if (const auto pin = pins_.find(e->name); pin != pins_.end())
        return values.at(pin->second);
      return evaluate(equations_.at(e->name), values) != (activeLow_.count(e->name) != 0);
    case ExpressionType::CONSTANT:
      return e->value;
    case ExpressionType::NOT:
      return !evaluate(e->left, values);
    case ExpressionType::AND:
      return evaluate(e->left, values) && evaluate(e->right, values);
    case ExpressionType::OR:
      return evaluate(e->left, values) || evaluate(e->right, values);
    case ExpressionType::XOR:
      return evaluate(e->left, values) != evaluate(e->right, values);
    }
    return false;
  }

  void collectPins(const ExpressionPtr &e, std::set<int> &pins) const {
    if (!e)
      return;
    if (e->type == ExpressionType::IDENTIFIER) {
      if (const auto pin = pins_.find(e->name); pin != pins_.end())
        pins.insert(pin->second);
      else
        collectPins(equations_.at(e->name), pins);
      return;
    }
    collectPins(e->left, pins);
    collectPins(e->right, pins);
  }

private:
  std::unordered_map<std::string, int> pins_;
  std::unordered_map<std::string, ExpressionPtr> equations_;
  std::set<std::string> activeLow_;
};

// The decoded side. jedutil's rf<n> is the register's inverted output. On
// the eight-cell chips the pin shows that too (their polarity gate sits
// before the register), so rf<n> is the pin; on the GAL22V10 the pin shows
// the register itself when active high, so rf<n> is then its complement.
// `invertedRegisters` holds the pins where rf<n> is the pin's complement.
bool evaluateDecoded(const DecodedSum &sum, const PinValues &values,
                     const std::set<int> &invertedRegisters) {
  for (const DecodedTerm &term : sum) {
    bool product = true;
    for (const DecodedLiteral &literal : term) {
      bool value = false;
      if (literal.symbol == "vcc")
        value = true;
      else if (literal.symbol == "gnd")
        value = false;
      else if (literal.symbol == "rf")
        value = values.at(literal.pin) != (invertedRegisters.count(literal.pin) != 0);
      else
        value = values.at(literal.pin);
      product = product && (value != literal.negated);
    }
    if (product)
      return true;
  }
  return false;
}

void collectDecodedPins(const DecodedSum &sum, std::set<int> &pins) {
  for (const DecodedTerm &term : sum)
    for (const DecodedLiteral &literal : term)
      if (literal.pin != 0)
        pins.insert(literal.pin);
}

bool usesGlobalOE(const DecodedSum &sum) {
  return sum.size() == 1 && sum[0].size() == 1 && sum[0][0].symbol == "OE";
}

// Compares two functions over every assignment of the pins they read.
std::string compare(const std::string &what, const std::set<int> &pins,
                    const std::function<bool(const PinValues &)> &expected,
                    const std::function<bool(const PinValues &)> &decoded) {
  if (pins.size() > 20)
    return what + ": too many pins to enumerate";
  const std::vector<int> order(pins.begin(), pins.end());
  for (uint32_t assignment = 0; assignment < (1u << order.size()); ++assignment) {
    PinValues values{};
    for (size_t i = 0; i < order.size(); ++i) {
      if (order[i] < 0 || order[i] >= static_cast<int>(values.size()))
        return what + ": pin " + std::to_string(order[i]) + " out of range";
      values[order[i]] = (assignment >> i) & 1u;
    }
    if (expected(values) == decoded(values))
      continue;
    std::string where;
    for (int pin : order)
      where += " pin" + std::to_string(pin) + "=" + (values[pin] ? "1" : "0");
    return what + " differs at" + where + ": source gives " + (expected(values) ? "1" : "0");
  }
  return "";
}

} // namespace

bool jedutilInstalled() { return std::system("command -v jedutil > /dev/null 2>&1") == 0; }

std::string jedutilView(const std::filesystem::path &jed, const std::string &device) {
  const char *name = jedutilDeviceName(device);
  if (name == nullptr)
    throw std::runtime_error("jedutil cannot read device " + device);
  const std::string command = "jedutil -view '" + jed.string() + "' " + name + " 2>&1";
  std::unique_ptr<FILE, int (*)(FILE *)> pipe(popen(command.c_str(), "r"), pclose);
  if (!pipe)
    throw std::runtime_error("cannot run jedutil");
  std::string output;
  std::array<char, 4096> buffer;
  for (size_t n; (n = fread(buffer.data(), 1, buffer.size(), pipe.get())) > 0;)
    output.append(buffer.data(), n);
  return output;
}

DecodedDevice parseJedutilView(const std::string &view) {
  DecodedDevice device;
  std::istringstream in(view);
  std::string section;
  std::vector<std::string> statements;
  for (std::string line; std::getline(in, line);) {
    if (line == "Inputs:" || line == "Outputs:" || line == "Equations:") {
      section = line;
      continue;
    }
    if (trim(line).empty())
      continue;
    // A synchronous preset, which gsmith never programs, stays an unreadable statement.
    if (line == "Asynchronous Reset:") {
      section = line;
      continue;
    }
    if (section == "Asynchronous Reset:") {
      device.asyncReset = parseSum(line);
    } else if (section == "Inputs:") {
      for (const std::string &pin : split(line, ','))
        if (!pin.empty())
          device.inputs.push_back(std::stoi(pin));
    } else if (section == "Outputs:") {
      DecodedOutput output;
      output.pin = std::stoi(line);
      output.registered = line.find("(Registered") != std::string::npos;
      output.activeHigh = line.find("Active high") != std::string::npos;
      device.outputs[output.pin] = output;
    } else if (section == "Equations:") {
      if (line[0] == ' ' && !statements.empty())
        statements.back() += " " + trim(line);
      else
        statements.push_back(trim(line));
    }
  }
  for (const std::string &statement : statements) {
    const size_t equals = statement.find('=');
    if (equals == std::string::npos)
      throw std::runtime_error("unreadable jedutil statement '" + statement + "'");
    std::string left = trim(statement.substr(0, equals));
    if (!left.empty() && left.back() == ':')
      left = trim(left.substr(0, left.size() - 1));
    const bool isOE = left.size() > 3 && left.compare(left.size() - 3, 3, ".oe") == 0;
    const int pin = pinOfName(left);
    auto found = device.outputs.find(pin);
    if (found == device.outputs.end())
      throw std::runtime_error("jedutil equation for an unlisted output '" + left + "'");
    DecodedSum sum = parseSum(statement.substr(equals + 1));
    if (isOE)
      found->second.oe = sum;
    else
      found->second.sum = sum;
  }
  return device;
}

::testing::AssertionResult decodesAsSource(const std::filesystem::path &jed,
                                           const std::string &source) {
  const Design design = parseSource(source);
  DecodedDevice decoded;
  std::string view;
  try {
    view = jedutilView(jed, design.device);
    decoded = parseJedutilView(view);
  } catch (const std::exception &error) {
    return ::testing::AssertionFailure() << error.what() << "\n" << view;
  }
  std::set<int> invertedRegisters;
  for (const auto &[pin, output] : decoded.outputs)
    if (design.device == "GAL22V10B" && output.registered && output.activeHigh)
      invertedRegisters.insert(pin);
  const SourceEvaluator evaluator(design);
  std::set<int> expectedOutputs;

  for (const PinDefinition &pin : design.pins) {
    if (pin.direction != PinDirection::OUTPUT || pin.outputEnable == OutputEnableSource::DISABLED)
      continue;
    expectedOutputs.insert(pin.number);
    const auto found = decoded.outputs.find(pin.number);
    if (found == decoded.outputs.end())
      return ::testing::AssertionFailure()
             << "jedutil shows no output on pin " << pin.number << "\n"
             << view;
    const DecodedOutput &output = found->second;
    const std::string label = "'" + pin.name + "' (pin " + std::to_string(pin.number) + ")";
    if (output.registered != pin.registered)
      return ::testing::AssertionFailure() << label << " registered mismatch\n" << view;
    const Equation *equation = nullptr;
    for (const Equation &e : design.equations)
      if (e.name == pin.name && !equation)
        equation = &e;
    if (pin.registered && output.activeHigh == equation->activeLow)
      return ::testing::AssertionFailure() << label << " register changed polarity\n" << view;
    std::set<int> pins;
    evaluator.collectPins(equation->expression, pins);
    collectDecodedPins(output.sum, pins);
    if (std::string error = compare(
            label + " data", pins,
            [&](const PinValues &v) {
              return evaluator.evaluate(equation->expression, v) != equation->activeLow;
            },
            [&](const PinValues &v) {
              return evaluateDecoded(output.sum, v, invertedRegisters) != !output.activeHigh;
            });
        !error.empty())
      return ::testing::AssertionFailure() << error << "\n" << view;

    if (pin.outputEnable == OutputEnableSource::OE1) {
      if (!usesGlobalOE(output.oe))
        return ::testing::AssertionFailure() << label << " is not enabled by OE\n" << view;
      continue;
    }
    ExpressionPtr enable = expression("1");
    for (const OEEquation &e : design.oeEquations)
      if (e.name == pin.name)
        enable = e.expression;
    std::set<int> oePins;
    evaluator.collectPins(enable, oePins);
    collectDecodedPins(output.oe, oePins);
    if (std::string error = compare(
            label + " output enable", oePins,
            [&](const PinValues &v) { return evaluator.evaluate(enable, v); },
            [&](const PinValues &v) { return evaluateDecoded(output.oe, v, invertedRegisters); });
        !error.empty())
      return ::testing::AssertionFailure() << error << "\n" << view;
  }

  for (const auto &[pin, output] : decoded.outputs)
    if (expectedOutputs.count(pin) == 0)
      return ::testing::AssertionFailure()
             << "jedutil shows an unexpected output on pin " << pin << "\n"
             << view;

  const ExpressionPtr reset =
      design.resetEquations.empty() ? expression("0") : design.resetEquations.front().expression;
  std::set<int> resetPins;
  evaluator.collectPins(reset, resetPins);
  collectDecodedPins(decoded.asyncReset, resetPins);
  if (std::string error = compare(
          "asynchronous reset", resetPins,
          [&](const PinValues &v) { return evaluator.evaluate(reset, v); },
          [&](const PinValues &v) {
            return evaluateDecoded(decoded.asyncReset, v, invertedRegisters);
          });
      !error.empty())
    return ::testing::AssertionFailure() << error << "\n" << view;
  return ::testing::AssertionSuccess();
}

} // namespace gsmith::testing
