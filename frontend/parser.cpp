// The parser: statements, pin and node modifiers, and Boolean expressions.
// Stray tokens between statements are remembered rather than refused at once,
// because the device that decides their message may be declared later in the
// file; they are reported only when the whole file has been read.
#include "frontend/parser.h"
#include "model/compile-error.h"

#include <algorithm>
#include <array>
#include <limits>
#include <stdexcept>
#include <string_view>

namespace gsmith {

namespace {

struct GALModeWord {
  std::string_view word;
  GALMode mode;
};

constexpr std::array<GALModeWord, 4> kGALModes{{
    {"AUTO", GALMode::AUTO},
    {"SIMPLE", GALMode::SIMPLE},
    {"COMPLEX", GALMode::COMPLEX},
    {"REGISTERED", GALMode::REGISTERED},
}};
constexpr uint64_t kFirstWideSignature = 0x10000;

const GALModeWord *findGALMode(const std::string &word) {
  for (const GALModeWord &mode : kGALModes)
    if (word == mode.word)
      return &mode;
  return nullptr;
}

bool isConfigWord(const Token &token) {
  if (token.type == TokenType::NUMBER || token.type == TokenType::EOF_TOKEN || token.text.empty())
    return false;
  for (char c : token.text) {
    const bool wordCharacter =
        (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
    if (!wordCharacter)
      return false;
  }
  return true;
}

int digitValue(char c) {
  if (c >= '0' && c <= '9')
    return c - '0';
  if (c >= 'a' && c <= 'z')
    return c - 'a' + 10;
  if (c >= 'A' && c <= 'Z')
    return c - 'A' + 10;
  return std::numeric_limits<int>::max();
}

// The base follows the C convention: 0x for hexadecimal, a leading 0 for octal.
// The whole text must be a number of that base that fits in 64 bits.
uint64_t signatureValue(const Token &token) {
  const std::string &text = token.text;
  const auto invalid = [&token] {
    return CompileError("Invalid SIGNATURE value '" + token.text + "'", token.location);
  };
  std::string_view digits = text;
  uint64_t base = 10;
  if (digits.size() >= 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
    base = 16;
    digits.remove_prefix(2);
  } else if (digits.size() >= 2 && digits[0] == '0') {
    base = 8;
  }
  if (digits.empty())
    throw invalid();
  uint64_t value = 0;
  for (char c : digits) {
    const int digit = digitValue(c);
    if (static_cast<uint64_t>(digit) >= base)
      throw invalid();
    if (value > (std::numeric_limits<uint64_t>::max() - digit) / base)
      throw invalid();
    value = value * base + digit;
  }
  return value;
}

// Pin numbers are read as decimal up to the first non-digit, so "0x10" is pin 0.
int pinNumber(const Token &token) {
  int64_t value = 0;
  for (char c : token.text) {
    if (c < '0' || c > '9')
      break;
    value = value * 10 + (c - '0');
    if (value > std::numeric_limits<int>::max())
      throw CompileError("Pin number '" + token.text + "' is out of range", token.location);
  }
  return static_cast<int>(value);
}

struct ModifierChoice {
  TokenType token;
  int value;
};

// The keyword after a modifier that names one of several sources; -1 when the
// token is none of them.
template <size_t N> int choiceValue(const std::array<ModifierChoice, N> &choices, TokenType token) {
  for (const ModifierChoice &choice : choices)
    if (choice.token == token)
      return choice.value;
  return -1;
}

constexpr std::array<ModifierChoice, 3> kClockChoices{{
    {TokenType::GCLK1, static_cast<int>(ClockSource::GCLK1)},
    {TokenType::GCLK2, static_cast<int>(ClockSource::GCLK2)},
    {TokenType::GCLK3, static_cast<int>(ClockSource::GCLK3)},
}};

constexpr std::array<ModifierChoice, 3> kGlobalOEChoices{{
    {TokenType::GOE1, static_cast<int>(GlobalOEPin::GOE1)},
    {TokenType::GOE2, static_cast<int>(GlobalOEPin::GOE2)},
    {TokenType::GOE6, static_cast<int>(GlobalOEPin::GOE6)},
}};

constexpr std::array<ModifierChoice, 5> kOutputEnableChoices{{
    {TokenType::OE1, static_cast<int>(OutputEnableSource::OE1)},
    {TokenType::OE2, static_cast<int>(OutputEnableSource::OE2)},
    {TokenType::ALWAYS, static_cast<int>(OutputEnableSource::ALWAYS)},
    {TokenType::PRODUCT, static_cast<int>(OutputEnableSource::PRODUCT)},
    {TokenType::GOE6, static_cast<int>(OutputEnableSource::GOE6)},
}};

constexpr std::array<ModifierChoice, 2> kResetChoices{{
    {TokenType::GCLR, static_cast<int>(ResetSource::GCLR)},
    {TokenType::PRODUCT, static_cast<int>(ResetSource::PRODUCT)},
}};

struct ControlSuffix {
  TokenType token;
  std::string_view name;
};

constexpr std::array<ControlSuffix, 4> kControlSuffixes{{
    {TokenType::RESET, "RESET"},
    {TokenType::OE, "OE"},
    {TokenType::CE, "CE"},
    {TokenType::PRESET, "PRESET"},
}};

ExpressionPtr makeNode(ExpressionType type, SourceLocation location) {
  auto node = std::make_shared<Expression>();
  node->type = type;
  node->location = location;
  return node;
}

[[noreturn]] void throwTooDeep(SourceLocation where) {
  throw CompileError(
      "Expression nesting exceeds " + std::to_string(kMaxExpressionNesting) + " levels", where);
}

// The operators that wait on the stack for their right side (or, for a group,
// its closing parenthesis). Each of them will sit above every operand read
// while it waits, which is what makes the stack size a lower bound on depth.
enum class PendingOperator { GROUP, OR, XOR, AND, NOT };

struct BinaryOperator {
  TokenType token;
  PendingOperator pending;
  ExpressionType type;
  int precedence;
};

// Loosest first; all three are left-associative.
constexpr std::array<BinaryOperator, 3> kBinaryOperators{{
    {TokenType::OR, PendingOperator::OR, ExpressionType::OR, 1},
    {TokenType::XOR, PendingOperator::XOR, ExpressionType::XOR, 2},
    {TokenType::AND, PendingOperator::AND, ExpressionType::AND, 3},
}};

constexpr int kNotPrecedence = 4;

const BinaryOperator *findBinaryOperator(TokenType token) {
  for (const BinaryOperator &binary : kBinaryOperators)
    if (binary.token == token)
      return &binary;
  return nullptr;
}

const BinaryOperator &binaryOperatorFor(PendingOperator pending) {
  for (const BinaryOperator &binary : kBinaryOperators)
    if (binary.pending == pending)
      return binary;
  throw std::logic_error("Internal error: no binary operator for a pending operator");
}

int precedence(PendingOperator pending) {
  if (pending == PendingOperator::NOT)
    return kNotPrecedence;
  if (pending == PendingOperator::GROUP)
    return 0;
  return binaryOperatorFor(pending).precedence;
}

// Operand and operator stacks of one expression, with the measured depth of
// every finished subtree. The depth rules are those of kMaxExpressionNesting;
// every pending operator will add at least one level above the operands read
// after it, so the stack size plus one is checked before anything is pushed.
// A nesting error points at the token being read when the limit was passed.
class ExpressionBuilder {
public:
  void open(PendingOperator pending, SourceLocation where) {
    reading_ = where;
    if (static_cast<int>(operators_.size()) + 2 > kMaxExpressionNesting)
      throwTooDeep(reading_);
    if (pending == PendingOperator::GROUP)
      ++openGroups_;
    operators_.push_back({pending, where});
  }

  void operand(ExpressionPtr leaf) { operands_.push_back(Subtree{std::move(leaf), 1}); }

  void binary(const BinaryOperator &binary, SourceLocation where) {
    reading_ = where;
    while (!operators_.empty() && precedence(operators_.back().pending) >= binary.precedence)
      reduce();
    open(binary.pending, where);
  }

  bool hasOpenGroup() const { return openGroups_ > 0; }

  void closeGroup(SourceLocation where) {
    reading_ = where;
    while (operators_.back().pending != PendingOperator::GROUP)
      reduce();
    operators_.pop_back();
    --openGroups_;
    // A group adds no node, but it counts as a level.
    setDepth(operands_.back(), operands_.back().depth + 1);
  }

  ExpressionPtr finish(SourceLocation where) {
    reading_ = where;
    while (!operators_.empty())
      reduce();
    return std::move(operands_.back().expression);
  }

private:
  struct Subtree {
    ExpressionPtr expression;
    int depth = 0;
  };
  struct Operator {
    PendingOperator pending;
    SourceLocation location;
  };

  // The operators still waiting are all above this subtree.
  void setDepth(Subtree &subtree, int depth) const {
    if (static_cast<int>(operators_.size()) + depth > kMaxExpressionNesting)
      throwTooDeep(reading_);
    subtree.depth = depth;
  }

  void reduce() {
    const auto [pending, location] = operators_.back();
    operators_.pop_back();
    Subtree right = std::move(operands_.back());
    operands_.pop_back();
    if (pending == PendingOperator::NOT) {
      ExpressionPtr node = makeNode(ExpressionType::NOT, location);
      node->left = std::move(right.expression);
      Subtree result{std::move(node), 0};
      setDepth(result, right.depth + 1);
      operands_.push_back(std::move(result));
      return;
    }
    Subtree &left = operands_.back();
    ExpressionPtr node = makeNode(binaryOperatorFor(pending).type, location);
    node->left = std::move(left.expression);
    node->right = std::move(right.expression);
    left.expression = std::move(node);
    setDepth(left, 1 + std::max(left.depth, right.depth));
  }

  std::vector<Subtree> operands_;
  std::vector<Operator> operators_;
  int openGroups_ = 0;
  SourceLocation reading_;
};

} // namespace

Parser::Parser(const std::vector<Token> &tokens, FeatureLookup features)
    : tokens_(tokens), features_(std::move(features)) {
  // Every rule relies on a final EOF to stop at; a hand-made list may lack it.
  if (tokens_.empty() || tokens_.back().type != TokenType::EOF_TOKEN)
    tokens_.push_back(Token{TokenType::EOF_TOKEN, "", {}});
}

const LanguageFeatures &Parser::featuresOf(const std::string &device) const {
  static const LanguageFeatures kUnknownDevice;
  const LanguageFeatures *features = features_ ? features_(device) : nullptr;
  return features ? *features : kUnknownDevice;
}

const Token &Parser::peek() const { return tokens_[index_]; }

Token Parser::advance() {
  Token token = tokens_[index_];
  if (index_ + 1 < tokens_.size())
    ++index_;
  return token;
}

bool Parser::match(TokenType type) {
  if (peek().type != type)
    return false;
  advance();
  return true;
}

void Parser::expect(TokenType type, const std::string &message) {
  if (!match(type))
    throw CompileError(message, peek().location);
}

Design Parser::parse() {
  Design design;
  std::string stray;
  SourceLocation strayLocation;
  for (;;) {
    const Token &token = peek();
    if (token.type == TokenType::EOF_TOKEN)
      break;
    switch (token.type) {
    case TokenType::IDENTIFIER:
      if (token.text == "GAL_MODE")
        parseGalMode(design);
      else if (token.text == "PACKAGE")
        parsePackage(design);
      else if (token.text == "CONFIG")
        parseConfig(design);
      else
        parseEquation(design);
      break;
    case TokenType::DEVICE:
      parseDevice(design);
      break;
    case TokenType::PIN:
      parsePin(design);
      break;
    case TokenType::NODE:
      parseNode(design);
      break;
    case TokenType::SIGNATURE:
      parseSignature(design);
      break;
    case TokenType::POWER_DOWN:
      parsePowerDown(design);
      break;
    case TokenType::NOT:
      // "!name = ..." is an active-low equation; any other '!' between
      // statements stays a stray token. ('/' is no operator of the language,
      // so "/name = ..." stays refused as one.)
      if (startsActiveLowEquation()) {
        advance();
        parseEquation(design, true);
        break;
      }
      [[fallthrough]];
    default:
      if (stray.empty() && token.text != ";") {
        stray = token.text;
        strayLocation = token.location;
      }
      advance();
      break;
    }
  }

  const LanguageFeatures &features = featuresOf(design.device);
  if (!stray.empty() && features.strayTokenNamesDevice)
    throw CompileError("Unexpected " + design.device + " token '" + stray + "'", strayLocation);
  if (!stray.empty())
    throw CompileError("Unexpected token '" + stray + "'", strayLocation);
  if (design.signature >= kFirstWideSignature && !features.wideSignature)
    throw CompileError("SIGNATURE must be between 0x0000 and 0xFFFF for this device",
                       design.signatureLocation);
  return design;
}

void Parser::fail(const std::string &message) const {
  throw CompileError(message, peek().location);
}

void Parser::parseDevice(Design &design) {
  advance();
  if (peek().type != TokenType::IDENTIFIER)
    fail("Expected device name after DEVICE");
  design.deviceLocation = peek().location;
  design.device = advance().text;
}

void Parser::parsePackage(Design &design) {
  const Token keyword = advance();
  if (!design.package.empty())
    throw CompileError("Duplicate PACKAGE declaration", keyword.location);
  if (peek().type != TokenType::IDENTIFIER)
    fail("Expected package name after PACKAGE");
  design.packageLocation = peek().location;
  design.package = advance().text;
}

void Parser::parseGalMode(Design &design) {
  const Token keyword = advance();
  if (design.galModeDeclared)
    throw CompileError("GAL_MODE may only be declared once", keyword.location);
  expect(TokenType::EQUALS, "Expected '=' after GAL_MODE");
  const GALModeWord *mode = findGALMode(peek().text);
  if (mode == nullptr)
    fail("GAL_MODE must be AUTO, SIMPLE, COMPLEX or REGISTERED");
  advance();
  design.galMode = mode->mode;
  design.galModeDeclared = true;
  design.galModeLocation = keyword.location;
}

void Parser::parseConfig(Design &design) {
  const Token keyword = advance();
  std::array<std::string, 3> words;
  for (std::string &word : words) {
    if (!isConfigWord(peek()))
      fail("Expected CONFIG target option value");
    word = advance().text;
  }
  design.configOptions.push_back(ATFConfigOption{words[0], words[1], words[2], keyword.location});
}

void Parser::parseSignature(Design &design) {
  const Token keyword = advance();
  if (design.hasSignature)
    throw CompileError("SIGNATURE may only be declared once", keyword.location);
  expect(TokenType::EQUALS, "Expected '=' after SIGNATURE");
  if (peek().type != TokenType::NUMBER)
    fail("Expected a number after SIGNATURE =");
  design.signatureLocation = peek().location;
  design.signature = signatureValue(advance());
  design.hasSignature = true;
}

void Parser::parsePowerDown(Design &design) {
  const Token keyword = advance();
  const Token &token = peek();
  const bool pd1 = token.type == TokenType::IDENTIFIER && token.text == "PD1";
  const bool pd2 = token.type == TokenType::IDENTIFIER && token.text == "PD2";
  if (!pd1 && !pd2)
    fail("Expected PD1 or PD2 after POWER_DOWN");
  bool &flag = pd1 ? design.powerDownPD1 : design.powerDownPD2;
  if (flag)
    fail(std::string("POWER_DOWN ") + (pd1 ? "PD1" : "PD2") + " may only be declared once");
  if (!design.powerDownPD1 && !design.powerDownPD2)
    design.powerDownLocation = keyword.location;
  flag = true;
  advance();
}

// A modifier that does not belong is refused at the modifier; one that is
// missing, at the token found in its place.
void Parser::parsePin(Design &design) {
  PinDefinition pin;
  pin.location = advance().location;
  if (peek().type != TokenType::NUMBER)
    fail("Expected pin number after PIN");
  pin.number = pinNumber(advance());

  if (peek().type != TokenType::IDENTIFIER)
    fail("Expected pin name");
  pin.name = advance().text;

  if (match(TokenType::INPUT))
    pin.direction = PinDirection::INPUT;
  else if (match(TokenType::OUTPUT))
    pin.direction = PinDirection::OUTPUT;
  else
    fail("Expected INPUT or OUTPUT after pin name");
  const bool output = pin.direction == PinDirection::OUTPUT;

  const SourceLocation registeredAt = peek().location;
  if (match(TokenType::REGISTERED)) {
    if (!output)
      throw CompileError("REGISTERED can only be used with an OUTPUT", registeredAt);
    pin.registered = true;
  }

  const SourceLocation clockAt = peek().location;
  if (const int clock = choiceValue(kClockChoices, peek().type); clock >= 0) {
    advance();
    pin.clock = static_cast<ClockSource>(clock);
  }

  if (!output && match(TokenType::GCLR))
    pin.reset = ResetSource::GCLR;

  if (const int globalOE = choiceValue(kGlobalOEChoices, peek().type); globalOE >= 0) {
    if (output)
      fail("A global OE source can only be declared on an INPUT pin");
    advance();
    pin.globalOE = static_cast<GlobalOEPin>(globalOE);
  }

  if (output && !pin.registered && pin.clock != ClockSource::NONE)
    throw CompileError("A clock source on an OUTPUT requires REGISTERED", clockAt);

  if (peek().type == TokenType::OE) {
    if (!output)
      fail("OE can only be used with an OUTPUT");
    advance();
    const int source = choiceValue(kOutputEnableChoices, peek().type);
    if (source < 0)
      fail("Expected ALWAYS, OE1, OE2, GOE6 or PRODUCT after OE");
    advance();
    pin.outputEnable = static_cast<OutputEnableSource>(source);
  }

  const bool registeredOutput = output && pin.registered;
  if (peek().type == TokenType::RESET) {
    if (!registeredOutput)
      fail("RESET can only be used with a REGISTERED OUTPUT");
    advance();
    const int source = choiceValue(kResetChoices, peek().type);
    if (source < 0)
      fail("Expected GCLR or PRODUCT after RESET");
    advance();
    pin.reset = static_cast<ResetSource>(source);
  }

  if (peek().type == TokenType::CE) {
    if (!registeredOutput)
      fail("CE can only be used with a REGISTERED OUTPUT");
    advance();
    expect(TokenType::PRODUCT, "Expected PRODUCT after CE");
    pin.clockEnable = true;
  }

  if (peek().type == TokenType::PRESET) {
    if (!registeredOutput)
      fail("PRESET can only be used with a REGISTERED OUTPUT");
    advance();
    expect(TokenType::PRODUCT, "Expected PRODUCT after PRESET");
    pin.preset = true;
  }

  if (registeredOutput && pin.clock == ClockSource::NONE && !pin.clockEnable)
    throw CompileError(
        "REGISTERED output requires GCLK1/GCLK2/GCLK3 or CE PRODUCT as a local clock",
        registeredAt);

  design.pins.push_back(std::move(pin));
}

void Parser::parseNode(Design &design) {
  NodeDefinition node;
  node.location = advance().location;
  if (peek().type != TokenType::IDENTIFIER)
    fail("Expected node name after NODE");
  node.name = advance().text;

  if (peek().type != TokenType::REGISTERED) {
    design.nodes.push_back(std::move(node));
    return;
  }
  if (!featuresOf(design.device).registeredNodes)
    fail("Unexpected " + design.device + " token 'REGISTERED' on NODE");
  advance();
  node.registered = true;

  const int clock = choiceValue(kClockChoices, peek().type);
  if (clock < 0)
    fail("REGISTERED NODE requires GCLK1/GCLK2/GCLK3");
  advance();
  node.clock = static_cast<ClockSource>(clock);

  const bool hasReset = match(TokenType::RESET);
  if (hasReset) {
    const int source = choiceValue(kResetChoices, peek().type);
    if (source < 0)
      fail("Expected GCLR or PRODUCT after RESET");
    advance();
    node.reset = static_cast<ResetSource>(source);
  }

  if (!hasReset && peek().type == TokenType::OE && !featuresOf(design.device).nodeRegisterControls)
    fail("Control modifiers on REGISTERED NODE are not yet supported for this device");

  if (match(TokenType::CE)) {
    expect(TokenType::PRODUCT, "Expected PRODUCT after CE");
    node.clockEnable = true;
  }
  if (match(TokenType::PRESET)) {
    expect(TokenType::PRODUCT, "Expected PRODUCT after PRESET");
    node.preset = true;
  }

  if (peek().type == TokenType::OE)
    fail("Buried NODE has no output driver for OE");

  design.nodes.push_back(std::move(node));
}

bool Parser::startsActiveLowEquation() const {
  const Token &name = tokens_[std::min(index_ + 1, tokens_.size() - 1)];
  return name.type == TokenType::IDENTIFIER && name.text != "GAL_MODE" && name.text != "PACKAGE" &&
         name.text != "CONFIG";
}

void Parser::parseEquation(Design &design, bool activeLow) {
  const Token target = advance();
  std::string name = target.text;
  if (!match(TokenType::DOT)) {
    expect(TokenType::EQUALS, "Expected '=' after output name");
    design.equations.push_back(
        Equation{std::move(name), parseExpression(), activeLow, target.location});
    return;
  }

  const TokenType suffix = peek().type;
  const std::string_view *suffixName = nullptr;
  for (const ControlSuffix &control : kControlSuffixes)
    if (control.token == suffix)
      suffixName = &control.name;
  if (suffixName == nullptr)
    fail("Expected OE, CE, PRESET or RESET after '.'");
  if (activeLow)
    fail("Only data equations can be active-low: '!" + name + "." + std::string(*suffixName) +
         "' is not allowed");
  advance();
  expect(TokenType::EQUALS, "Expected '=' after ." + std::string(*suffixName));

  switch (suffix) {
  case TokenType::RESET:
    design.resetEquations.push_back(
        Equation{std::move(name), parseExpression(), false, target.location});
    break;
  case TokenType::OE:
    design.oeEquations.push_back(OEEquation{name, parseExpression(), target.location});
    break;
  case TokenType::CE:
    design.ceEquations.push_back(CEEquation{name, parseExpression(), target.location});
    break;
  default:
    design.presetEquations.push_back(PresetEquation{name, parseExpression(), target.location});
    break;
  }
}

ExpressionPtr Parser::parseExpression() {
  ExpressionBuilder builder;
  for (;;) {
    // An operand is due: first any prefix "!" and opening parentheses.
    for (;;) {
      const SourceLocation at = peek().location;
      if (match(TokenType::NOT))
        builder.open(PendingOperator::NOT, at);
      else if (match(TokenType::LEFT_PAREN))
        builder.open(PendingOperator::GROUP, at);
      else
        break;
    }
    builder.operand(parsePrimary());

    // An operator is due: closing parentheses, then a binary operator or the end.
    for (SourceLocation at = peek().location;
         builder.hasOpenGroup() && match(TokenType::RIGHT_PAREN); at = peek().location)
      builder.closeGroup(at);
    const BinaryOperator *binary = findBinaryOperator(peek().type);
    if (binary == nullptr) {
      if (builder.hasOpenGroup())
        fail("Expected ')'");
      return builder.finish(peek().location);
    }
    builder.binary(*binary, advance().location);
  }
}

ExpressionPtr Parser::parsePrimary() {
  const Token &token = peek();
  if (token.type == TokenType::IDENTIFIER) {
    ExpressionPtr node = makeNode(ExpressionType::IDENTIFIER, token.location);
    node->name = advance().text;
    return node;
  }
  if (token.type != TokenType::NUMBER)
    fail("Expected signal, 0, 1 or '(' in expression");
  if (token.text != "0" && token.text != "1")
    fail("Logic constants must be 0 or 1");
  ExpressionPtr node = makeNode(ExpressionType::CONSTANT, token.location);
  node->value = advance().text == "1";
  return node;
}

} // namespace gsmith
