// NODE lowering for the GAL devices. The GALs have no buried cells, so a
// NODE can only name a combinational sub-expression: it is substituted into
// every equation that reads it (an active-low NODE as the complement of its
// expression, which is the value it names), and the result is measured
// before the exponential sum-of-products conversion is ever attempted on it.
#include "gal/gal-target.h"

#include "model/compile-error.h"

#include "synthesis/expansion-bound.h"

#include <stdexcept>
#include <unordered_map>
#include <unordered_set>

namespace gsmith {

namespace {

constexpr int kMaxNesting = 128;

class NodeLowering {
public:
  explicit NodeLowering(const Design &design)
      : prefix_(design.device.empty() ? "GAL" : design.device) {
    collectNames(design);
    collectDefinitions(design);
  }

  const std::string &prefix() const { return prefix_; }

  bool isNode(const std::string &name) const { return definitions_.count(name) != 0; }

  // Expands every NODE, used or not, in declaration order so that cycles,
  // undefined names and excessive nesting are reported for all of them.
  void expandAllNodes(const Design &design) {
    for (const NodeDefinition &node : design.nodes) {
      auto identifier = std::make_shared<Expression>();
      identifier->type = ExpressionType::IDENTIFIER;
      identifier->name = node.name;
      identifier->location = node.location;
      expand(identifier, 0);
    }
  }

  ExpressionPtr expand(const ExpressionPtr &expression, int depth) {
    if (!expression)
      return nullptr;
    if (depth > kMaxNesting)
      throw CompileError(prefix_ + " expression/NODE nesting exceeds 128 levels",
                         expression->location);
    if (expression->type != ExpressionType::IDENTIFIER) {
      auto copy = std::make_shared<Expression>(*expression);
      copy->left = expand(expression->left, depth + 1);
      copy->right = expand(expression->right, depth + 1);
      return copy;
    }
    const std::string &name = expression->name;
    if (signalNames_.count(name) == 0)
      throw CompileError("Undefined signal '" + name + "'", expression->location);
    const auto definition = definitions_.find(name);
    if (definition == definitions_.end())
      return expression;
    if (const auto memo = expanded_.find(name); memo != expanded_.end())
      return memo->second;
    if (!inProgress_.insert(name).second)
      throw CompileError("Combinational NODE cycle at '" + name + "'", expression->location);
    ExpressionPtr result = expand(definition->second, depth + 1);
    inProgress_.erase(name);
    expanded_.emplace(name, result);
    return result;
  }

private:
  void collectNames(const Design &design) {
    for (const PinDefinition &pin : design.pins)
      if (!signalNames_.insert(pin.name).second)
        throw CompileError("Duplicate signal name '" + pin.name + "'", pin.location);
    for (const NodeDefinition &node : design.nodes) {
      if (!signalNames_.insert(node.name).second)
        throw CompileError("Duplicate signal/NODE name '" + node.name + "'", node.location);
      if (node.registered || node.clock != ClockSource::NONE || node.reset != ResetSource::NONE ||
          node.clockEnable || node.preset)
        throw CompileError(prefix_ + " NODEs must be combinational aliases", node.location);
      nodeNames_.insert(node.name);
    }
  }

  void collectDefinitions(const Design &design) {
    for (const Equation &equation : design.equations) {
      if (nodeNames_.count(equation.name) == 0)
        continue;
      ExpressionPtr value = equation.expression;
      if (equation.activeLow) {
        value = std::make_shared<Expression>();
        value->type = ExpressionType::NOT;
        value->left = equation.expression;
      }
      if (!definitions_.emplace(equation.name, std::move(value)).second)
        throw CompileError("NODE '" + equation.name + "' must have exactly one equation",
                           equation.location);
    }
    for (const NodeDefinition &node : design.nodes)
      if (definitions_.count(node.name) == 0)
        throw CompileError("NODE '" + node.name + "' has no equation", node.location);
  }

  std::string prefix_;
  std::unordered_set<std::string> signalNames_;
  std::unordered_set<std::string> nodeNames_;
  std::unordered_map<std::string, ExpressionPtr> definitions_;
  std::unordered_map<std::string, ExpressionPtr> expanded_;
  std::unordered_set<std::string> inProgress_;
};

} // namespace

Design lowerGALNodes(const Design &design, bool resetEquations, Budgeting budgeting) {
  NodeLowering lowering(design);
  lowering.expandAllNodes(design);

  Design result = design;
  result.nodes.clear();
  result.equations.clear();
  for (const Equation &equation : design.equations)
    if (!lowering.isNode(equation.name))
      result.equations.push_back(
          {equation.name, lowering.expand(equation.expression, 0), equation.activeLow,
           equation.location});
  for (OEEquation &equation : result.oeEquations)
    equation.expression = lowering.expand(equation.expression, 0);
  // Only a chip that takes .RESET reads them; any other refuses them later,
  // in semantic analysis, with its own message.
  if (resetEquations)
    for (Equation &equation : result.resetEquations)
      equation.expression = lowering.expand(equation.expression, 0);
  if (budgeting == Budgeting::LEAVE_TO_SYNTHESIS)
    return result;

  const auto measure = [&lowering](const auto &equation) {
    locatedAt(equation.location,
              [&] { ExpansionBound::measure(equation.expression, lowering.prefix()); });
  };
  for (const Equation &equation : result.equations)
    measure(equation);
  for (const OEEquation &equation : result.oeEquations)
    measure(equation);
  if (resetEquations)
    for (const Equation &equation : result.resetEquations)
      measure(equation);
  return result;
}

} // namespace gsmith
