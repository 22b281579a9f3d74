#include "HCPTclFilterMatch.h"

#include <tcl.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <vector>

#include "HCPProperty.h"
#include "HSTGlob.h"
#include "HSTStringUtils.h"
#include "HSTValueText.h"
#include "HTCErrors.h"
#include "tclany.h"

namespace {

enum class Op { Eq, Ne, Match, NotMatch, Lt, Le, Gt, Ge, Truth };

struct OpSpelling {
    const char* text;
    Op op;
};

// Two-character operators first, so that "<=" is not read as "<".
const OpSpelling kOperators[] = {
    {"==", Op::Eq}, {"!=", Op::Ne}, {"=~", Op::Match}, {"!~", Op::NotMatch},
    {"<=", Op::Le}, {">=", Op::Ge}, {"<", Op::Lt},     {">", Op::Gt},
};

// A value written in the expression, read once in all the forms that a
// comparison may need.
struct Literal {
    std::string text;
    bool isInteger = false;
    long long integer = 0;
    bool isNumber = false;
    double number = 0;
    bool isBool = false;
    bool boolean = false;

    explicit Literal(std::string value = {}) : text(std::move(value)) {
        isInteger = HSTValueText::parseInteger(text, integer);
        isNumber = HSTValueText::parseDouble(text, number);
        isBool = HSTValueText::parseBool(text, boolean);
    }
};

struct Comparison {
    std::string property;
    Op op;
    Literal literal;
    // The property's definition for the class last seen.
    mutable const HCPProperty::ObjectInfo* cachedClass = nullptr;
    mutable const HCPProperty::PropertyDef* cachedProperty = nullptr;
};

// A chain of && or of || is one node with all its operands, and a run of
// "!" is one flag, so that long flat expressions nest no deeper than their
// parentheses: parsing and evaluation recurse only into those.
struct Node {
    enum class Kind { And, Or, Leaf } kind;
    bool negated = false;  // an odd number of "!" in front
    int comparison = -1;   // Leaf: index of its comparison
    std::vector<int> operands;
};

bool isNameChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '.' || c == ':'; }
bool isBlank(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }

// Recursive descent over the text; builds the nodes and comparisons.
//   or      := and { "||" and }
//   and     := unary { "&&" unary }
//   unary   := { "!" } primary
//   primary := "(" or ")" | NAME [ OP value ]
//   value   := "..." | {...} | bare word
class Parser {
public:
    Parser(const std::string& text, std::vector<Node>& nodes, std::vector<Comparison>& comparisons)
        : text_(text), nodes_(nodes), comparisons_(comparisons) {}

    int parse() {
        if (text_.size() > HCPTclFilterMatch::kMaxLength)
            fail("the expression is " + std::to_string(text_.size()) + " characters long, more than the " +
                     std::to_string(HCPTclFilterMatch::kMaxLength) + " accepted",
                 HCPTclFilterMatch::kMaxLength);
        const int root = parseChain(Node::Kind::Or, 0);
        skipBlanks();
        if (!atEnd()) fail(peek() == ')' ? "unbalanced \")\"" : "expected \"&&\", \"||\" or the end");
        return root;
    }

private:
    // An || chain of && chains, or an && chain of unary terms.
    int parseChain(Node::Kind kind, int depth) {
        const char* joiner = kind == Node::Kind::Or ? "||" : "&&";
        const int first = kind == Node::Kind::Or ? parseChain(Node::Kind::And, depth) : parseUnary(depth);
        if (!consume(joiner)) return first;
        Node chain{kind, false, -1, {first}};
        do {
            chain.operands.push_back(kind == Node::Kind::Or ? parseChain(Node::Kind::And, depth) : parseUnary(depth));
        } while (consume(joiner));
        return add(std::move(chain));
    }

    int parseUnary(int depth) {
        bool negated = false;
        while (consume("!")) negated = !negated;
        const int term = parsePrimary(depth);
        if (negated) nodes_[static_cast<std::size_t>(term)].negated = !nodes_[static_cast<std::size_t>(term)].negated;
        return term;
    }

    int parsePrimary(int depth) {
        if (!consume("(")) return parseComparison();
        if (depth >= HCPTclFilterMatch::kMaxNesting)
            fail("parentheses nest more than " + std::to_string(HCPTclFilterMatch::kMaxNesting) + " deep");
        const int inner = parseChain(Node::Kind::Or, depth + 1);
        if (!consume(")")) fail("expected \")\"");
        return inner;
    }

    int parseComparison() {
        skipBlanks();
        const std::size_t start = pos_;
        while (!atEnd() && isNameChar(peek())) ++pos_;
        if (pos_ == start) fail("expected a property name");
        std::string property = text_.substr(start, pos_ - start);
        Op op = Op::Truth;
        Literal literal;
        if (readOperator(op)) {
            literal = Literal(readValue());
        } else if (!atOperandEnd()) {
            fail("expected a comparison operator (==, !=, =~, !~, <, <=, >, >=)");
        }
        comparisons_.push_back(Comparison{std::move(property), op, std::move(literal)});
        return add({Node::Kind::Leaf, false, static_cast<int>(comparisons_.size() - 1), {}});
    }

    bool readOperator(Op& op) {
        skipBlanks();
        for (const auto& spelling : kOperators) {
            if (text_.compare(pos_, std::strlen(spelling.text), spelling.text) == 0) {
                pos_ += std::strlen(spelling.text);
                op = spelling.op;
                return true;
            }
        }
        return false;
    }

    std::string readValue() {
        skipBlanks();
        if (atEnd()) fail("expected a value");
        if (peek() == '"') return readQuoted();
        if (peek() == '{') return readBraced();
        const std::size_t start = pos_;
        while (!atEnd() && !isBlank(peek()) && peek() != ')' && !lookingAt("&&") && !lookingAt("||")) ++pos_;
        if (pos_ == start) fail("expected a value");
        return text_.substr(start, pos_ - start);
    }

    std::string readQuoted() {
        const std::size_t open = pos_++;
        std::string value;
        while (!atEnd() && peek() != '"') {
            if (peek() == '\\' && pos_ + 1 < text_.size()) ++pos_;
            value += text_[pos_++];
        }
        if (atEnd()) fail("missing closing quote", open);
        ++pos_;
        return value;
    }

    std::string readBraced() {
        const std::size_t open = pos_++;
        int depth = 1;
        const std::size_t start = pos_;
        for (; !atEnd(); ++pos_) {
            if (peek() == '{') ++depth;
            if (peek() == '}' && --depth == 0) break;
        }
        if (atEnd()) fail("missing close-brace", open);
        return text_.substr(start, pos_++ - start);
    }

    // What may follow a bare property name.
    bool atOperandEnd() {
        skipBlanks();
        return atEnd() || peek() == ')' || lookingAt("&&") || lookingAt("||");
    }

    bool consume(const char* token) {
        skipBlanks();
        if (!lookingAt(token)) return false;
        pos_ += std::strlen(token);
        return true;
    }

    bool lookingAt(const char* token) const { return text_.compare(pos_, std::strlen(token), token) == 0; }
    void skipBlanks() {
        while (!atEnd() && isBlank(peek())) ++pos_;
    }
    bool atEnd() const { return pos_ >= text_.size(); }
    char peek() const { return text_[pos_]; }

    int add(Node node) {
        nodes_.push_back(std::move(node));
        return static_cast<int>(nodes_.size() - 1);
    }

    [[noreturn]] void fail(const std::string& what) { fail(what, pos_); }
    // Quotes the expression, and the part of it around the position with a
    // caret under it; a long expression only in excerpts.
    [[noreturn]] void fail(const std::string& what, std::size_t at) {
        constexpr std::size_t kContext = 60;
        const std::size_t from = at > kContext ? at - kContext : 0;
        const std::string before = from > 0 ? "..." : "";
        const std::string after = at + kContext < text_.size() ? "..." : "";
        const std::string window = before + text_.substr(from, at - from + kContext) + after;
        throw HTCErrors::error("invalid filter expression \"" + HSTStringUtils::excerpt(text_) + "\": " + what +
                                   " at position " + std::to_string(at) + "\n    " + window + "\n    " +
                                   std::string(before.size() + at - from, ' ') + "^",
                               HEXAll::Kind::value);
    }

    const std::string& text_;
    std::vector<Node>& nodes_;
    std::vector<Comparison>& comparisons_;
    std::size_t pos_ = 0;
};

// --- evaluation ------------------------------------------------------------
// Each test has a form for texts the object holds (read by reference, so
// that a filter over thousands of pins copies nothing) and one for values.

// Negative, zero or positive as a is less than, equal to or greater than b.
int compareText(const std::string& a, const std::string& b, bool nocase) {
    if (!nocase) return a.compare(b);
    const std::size_t common = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i) {
        const int ca = std::tolower(static_cast<unsigned char>(a[i]));
        const int cb = std::tolower(static_cast<unsigned char>(b[i]));
        if (ca != cb) return ca - cb;
    }
    return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

int compareNumber(double number, double literal) { return number < literal ? -1 : (number > literal ? 1 : 0); }

// Numeric texts compare as numbers, other texts as text.
int compareValue(const std::string& text, const Literal& literal, bool nocase) {
    double number = 0;
    if (literal.isNumber && HSTValueText::parseDouble(text, number)) return compareNumber(number, literal.number);
    return compareText(text, literal.text, nocase);
}

bool numberOf(const HCPValue& value, double& number) {
    if (const auto* i = std::get_if<long long>(&value)) return number = static_cast<double>(*i), true;
    if (const auto* d = std::get_if<double>(&value)) return number = *d, true;
    if (const auto* b = std::get_if<bool>(&value)) return number = *b ? 1 : 0, true;
    if (const auto* s = std::get_if<std::string>(&value)) return HSTValueText::parseDouble(*s, number);
    return false;
}

// Numbers compare as numbers (integers exactly), other values as text.
int compareValue(const HCPValue& value, const Literal& literal, bool nocase) {
    if (const auto* s = std::get_if<std::string>(&value)) return compareValue(*s, literal, nocase);
    if (const auto* i = std::get_if<long long>(&value); i && literal.isInteger) {
        return *i < literal.integer ? -1 : (*i > literal.integer ? 1 : 0);
    }
    double number = 0;
    if (literal.isNumber && numberOf(value, number)) return compareNumber(number, literal.number);
    return compareText(HCPProperty::toText(value), literal.text, nocase);
}

bool equalValue(const std::string& text, const Literal& literal, bool nocase) {
    return compareValue(text, literal, nocase) == 0;
}

bool equalValue(const HCPValue& value, const Literal& literal, bool nocase) {
    // A boolean property equals any spelling of its truth value.
    if (const auto* b = std::get_if<bool>(&value); b && literal.isBool) return *b == literal.boolean;
    return compareValue(value, literal, nocase) == 0;
}

bool globValue(const std::string& text, const Literal& literal, bool nocase) {
    return HSTGlob::match(text.c_str(), literal.text.c_str(), nocase);
}

bool globValue(const HCPValue& value, const Literal& literal, bool nocase) {
    if (const auto* s = std::get_if<std::string>(&value)) return globValue(*s, literal, nocase);
    return globValue(HCPProperty::toText(value), literal, nocase);
}

// A bare property name: a true boolean, a non-zero number, or other
// non-empty text.
bool truthOf(const std::string& text) {
    bool word = false;
    if (HSTValueText::parseBool(text, word)) return word;
    double number = 0;
    if (HSTValueText::parseDouble(text, number)) return number != 0;
    return !text.empty();
}

bool truthOf(const HCPValue& value) {
    if (const auto* s = std::get_if<std::string>(&value)) return truthOf(*s);
    double number = 0;
    return numberOf(value, number) && number != 0;
}

template <class Value>
bool compare(const Value& value, const Comparison& comparison, bool nocase) {
    switch (comparison.op) {
        case Op::Eq:
            return equalValue(value, comparison.literal, nocase);
        case Op::Ne:
            return !equalValue(value, comparison.literal, nocase);
        case Op::Match:
            return globValue(value, comparison.literal, nocase);
        case Op::NotMatch:
            return !globValue(value, comparison.literal, nocase);
        case Op::Lt:
            return compareValue(value, comparison.literal, nocase) < 0;
        case Op::Le:
            return compareValue(value, comparison.literal, nocase) <= 0;
        case Op::Gt:
            return compareValue(value, comparison.literal, nocase) > 0;
        case Op::Ge:
            return compareValue(value, comparison.literal, nocase) >= 0;
        case Op::Truth:
            return truthOf(value);
    }
    return false;
}

}  // namespace

struct HCPTclFilterMatch::Impl {
    std::string expression;
    bool nocase;
    bool plainValuesReadEmpty;
    std::vector<Node> nodes;
    std::vector<Comparison> comparisons;
    int root = -1;
    // The class of the type last seen; filters run over objects of one class.
    mutable const std::type_info* cachedType = nullptr;
    mutable const HCPProperty::ObjectInfo* cachedInfo = nullptr;

    const HCPProperty::ObjectInfo* classOf(const std::type_info& type) const {
        if (!cachedType || *cachedType != type) {
            cachedType = &type;
            cachedInfo = HCPProperty::getObjectInfo(type);
        }
        return cachedInfo;
    }

    const HCPProperty::PropertyDef* propertyOf(const Comparison& comparison,
                                               const HCPProperty::ObjectInfo* info) const {
        if (comparison.cachedClass != info || !comparison.cachedProperty) {
            comparison.cachedClass = info;
            comparison.cachedProperty = info ? info->findProperty(comparison.property) : nullptr;
        }
        if (!comparison.cachedProperty && (info || !plainValuesReadEmpty)) throw unknownProperty(comparison, info);
        return comparison.cachedProperty;
    }

    HTCErrors::error unknownProperty(const Comparison& comparison, const HCPProperty::ObjectInfo* info) const {
        const std::string where = info ? "objects of class \"" + info->className + "\" have no such property"
                                       : std::string("the value is not an object with properties");
        return HTCErrors::error("invalid property \"" + HSTStringUtils::excerpt(comparison.property) +
                                    "\" in filter \"" + HSTStringUtils::excerpt(expression) + "\": " + where,
                                HEXAll::Kind::value);
    }

    // Recurses only into parenthesised chains, so no deeper than kMaxNesting.
    bool evaluate(int index, const HCPProperty::ObjectInfo* info, const void* object) const {
        const Node& node = nodes[static_cast<std::size_t>(index)];
        return evaluateUnnegated(node, info, object) != node.negated;
    }

    bool evaluateUnnegated(const Node& node, const HCPProperty::ObjectInfo* info, const void* object) const {
        if (node.kind == Node::Kind::Leaf) return evaluateLeaf(node, info, object);
        // && stops at the first false operand, || at the first true one.
        const bool stopAt = node.kind == Node::Kind::Or;
        for (int operand : node.operands)
            if (evaluate(operand, info, object) == stopAt) return stopAt;
        return !stopAt;
    }

    bool evaluateLeaf(const Node& node, const HCPProperty::ObjectInfo* info, const void* object) const {
        const Comparison& comparison = comparisons[static_cast<std::size_t>(node.comparison)];
        const HCPProperty::PropertyDef* property = propertyOf(comparison, info);
        if (property && object && property->text) return compare(property->text(object), comparison, nocase);
        const HCPValue value = (property && object && property->get) ? property->get(object) : HCPValue{};
        return compare(value, comparison, nocase);
    }
};

HCPTclFilterMatch::HCPTclFilterMatch(const std::string& expression, Tcl_Interp* /*interp*/, bool nocase,
                                     bool plainValuesReadEmpty)
    : impl_(new Impl{expression, nocase, plainValuesReadEmpty, {}, {}}) {
    impl_->root = Parser(impl_->expression, impl_->nodes, impl_->comparisons).parse();
}

HCPTclFilterMatch::~HCPTclFilterMatch() = default;

void HCPTclFilterMatch::checkProperties(const std::type_info& pointerType) const {
    const HCPProperty::ObjectInfo* info = impl_->classOf(pointerType);
    if (!info) return;
    for (const Comparison& comparison : impl_->comparisons) impl_->propertyOf(comparison, info);
}

bool HCPTclFilterMatch::match(const tov::tcltasks::tclany& object) const {
    const HCPProperty::ObjectInfo* info = impl_->classOf(object.type());
    const void* native = info ? info->objectOf(object) : nullptr;
    return impl_->evaluate(impl_->root, info, native);
}

bool HCPTclFilterMatch::matchObject(const std::type_info& pointerType, const void* object) const {
    return impl_->evaluate(impl_->root, impl_->classOf(pointerType), object);
}
