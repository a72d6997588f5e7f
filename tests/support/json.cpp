// The JSON reader of the test support: recursive descent over the text.
#include "tests/support/json.h"

#include <cstdlib>
#include <stdexcept>

namespace gsmith::testing {

namespace {

class Reader {
public:
  explicit Reader(std::string_view text) : text_(text) {}

  Json value() {
    skipSpace();
    if (at_ >= text_.size())
      fail("unexpected end");
    const char c = text_[at_];
    if (c == '{')
      return object();
    if (c == '[')
      return array();
    if (c == '"') {
      Json json;
      json.kind = Json::Kind::STRING;
      json.text = string();
      return json;
    }
    if (text_.substr(at_, 4) == "true" || text_.substr(at_, 5) == "false") {
      Json json;
      json.kind = Json::Kind::BOOLEAN;
      json.number = c == 't' ? 1 : 0;
      at_ += c == 't' ? 4 : 5;
      return json;
    }
    if (text_.substr(at_, 4) == "null") {
      at_ += 4;
      return {};
    }
    Json json;
    json.kind = Json::Kind::NUMBER;
    const std::string rest(text_.substr(at_, 32));
    char *end = nullptr;
    json.number = std::strtod(rest.c_str(), &end);
    if (end == rest.c_str())
      fail("bad value");
    at_ += static_cast<size_t>(end - rest.c_str());
    return json;
  }

  void finish() {
    skipSpace();
    if (at_ != text_.size())
      fail("trailing text");
  }

private:
  [[noreturn]] void fail(const char *what) const {
    throw std::runtime_error(std::string("JSON: ") + what + " at " + std::to_string(at_));
  }

  void skipSpace() {
    while (at_ < text_.size() && (text_[at_] == ' ' || text_[at_] == '\n' || text_[at_] == '\r' ||
                                  text_[at_] == '\t'))
      ++at_;
  }

  void expect(char c) {
    skipSpace();
    if (at_ >= text_.size() || text_[at_] != c)
      fail("unexpected character");
    ++at_;
  }

  std::string string() {
    expect('"');
    std::string result;
    while (at_ < text_.size() && text_[at_] != '"') {
      if (text_[at_] == '\\')
        ++at_;
      if (at_ < text_.size())
        result += text_[at_++];
    }
    expect('"');
    return result;
  }

  Json array() {
    Json json;
    json.kind = Json::Kind::ARRAY;
    expect('[');
    skipSpace();
    if (text_[at_] == ']')
      return ++at_, json;
    do
      json.items.push_back(value());
    while (skipSpace(), text_[at_] == ',' && ++at_);
    expect(']');
    return json;
  }

  Json object() {
    Json json;
    json.kind = Json::Kind::OBJECT;
    expect('{');
    skipSpace();
    if (text_[at_] == '}')
      return ++at_, json;
    do {
      skipSpace();
      std::string key = string();
      expect(':');
      json.members[key] = value();
    } while (skipSpace(), text_[at_] == ',' && ++at_);
    expect('}');
    return json;
  }

  std::string_view text_;
  size_t at_ = 0;
};

} // namespace

const Json &Json::operator[](const std::string &key) const {
  const auto found = members.find(key);
  if (found == members.end())
    throw std::runtime_error("JSON: no member '" + key + "'");
  return found->second;
}

Json Json::parse(std::string_view text) {
  Reader reader(text);
  Json json = reader.value();
  reader.finish();
  return json;
}

} // namespace gsmith::testing
