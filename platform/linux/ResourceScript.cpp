#include "platform/linux/ResourceScript.h"

#include <limits>
#include <map>
#include <memory>

#include "platform/linux/BitmapFile.h"
#include "platform/linux/Styles.h"

namespace ui::rc {
namespace {

using desktop::Kind;

constexpr int kMaxIncludeDepth = 16;
constexpr int kMaxExpansionDepth = 32;

enum class TokenType { Name, Number, String, Punct, End };

struct Token {
    TokenType Type = TokenType::End;
    std::string Text; // name, string contents or punctuation
    std::int64_t Value = 0;
    int File = 0;
    int Line = 0;
};

// Raised inside the reader only; ParseResourceScript turns it into its error result.
struct ScriptFailure {
    std::string Message;
};

std::string Upper(std::string_view text) {
    std::string result(text);
    for (char& c : result)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return result;
}

bool IsNameStart(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
bool IsNameChar(char c) {
    return IsNameStart(c) || IsDigit(c);
}
bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v';
}

int HexDigit(char c) {
    if (IsDigit(c))
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

std::string_view BaseName(std::string_view path) {
    const auto slash = path.find_last_of("/\\");
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

// Control characters of the script shown as \xHH, so that a report stays one line.
std::string Printable(std::string_view text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string printable;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte != 0x7F) {
            printable += c;
            continue;
        }
        printable += "\\x";
        printable += kHex[byte >> 4];
        printable += kHex[byte & 0xF];
    }
    return printable;
}

// Reads the script and its includes into one token list, evaluating the preprocessor
// lines on the way; also keeps the #define table for the parser.
class Preprocessor {
public:
    Preprocessor(const FileLookup& lookup) : lookup_(lookup) {}

    std::vector<Token> Tokens;
    std::map<std::string, std::vector<Token>, std::less<>> Defines;
    std::vector<std::string> FileNames;

    [[noreturn]] void Fail(int file, int line, std::string_view reason) const {
        throw ScriptFailure{FileNames[static_cast<std::size_t>(file)] + ":" + std::to_string(line) +
                            ": " + Printable(reason)};
    }

    void ProcessFile(std::string_view name, std::string_view text, int depth) {
        const int file = static_cast<int>(FileNames.size());
        FileNames.emplace_back(name);
        std::vector<Condition> conditions;
        bool inComment = false;
        int commentLine = 0;
        int line = 0;
        std::size_t start = 0;
        while (start < text.size() || line == 0) {
            std::size_t end = text.find('\n', start);
            if (end == std::string_view::npos)
                end = text.size();
            ++line;
            const std::string_view lineText = text.substr(start, end - start);
            start = end + 1;
            std::size_t first = 0;
            while (first < lineText.size() && IsSpace(lineText[first]))
                ++first;
            const bool wasInComment = inComment;
            if (!inComment && first < lineText.size() && lineText[first] == '#') {
                Directive(file, line, lineText.substr(first + 1), conditions, depth);
            } else if (Active(conditions)) {
                TokenizeLine(file, line, lineText, inComment, Tokens);
            } else {
                SkipComments(lineText, inComment);
            }
            if (inComment && !wasInComment)
                commentLine = line;
            if (end == text.size())
                break;
        }
        if (!conditions.empty())
            Fail(file, conditions.back().Line, "#if without #endif");
        if (inComment)
            Fail(file, commentLine, "unterminated comment");
        lastLine_ = line;
        lastFile_ = file;
    }

    Token EndToken() const {
        Token end;
        end.File = lastFile_;
        end.Line = lastLine_;
        return end;
    }

private:
    struct Condition {
        bool ParentActive = true;
        bool Active = false;
        bool Taken = false;
        bool InElse = false;
        int Line = 0;
    };

    static bool Active(const std::vector<Condition>& conditions) {
        return conditions.empty() || conditions.back().Active;
    }

    // Keeps the block comment state of a line that is skipped by a condition.
    static void SkipComments(std::string_view text, bool& inComment) {
        for (std::size_t i = 0; i < text.size(); ++i) {
            if (inComment) {
                if (text.substr(i, 2) == "*/") {
                    inComment = false;
                    ++i;
                }
            } else if (text.substr(i, 2) == "//") {
                return;
            } else if (text.substr(i, 2) == "/*") {
                inComment = true;
                ++i;
            }
        }
    }

    void TokenizeLine(int file, int line, std::string_view text, bool& inComment,
                      std::vector<Token>& out) const {
        std::size_t i = 0;
        while (i < text.size()) {
            if (inComment) {
                const std::size_t close = text.find("*/", i);
                if (close == std::string_view::npos)
                    return;
                inComment = false;
                i = close + 2;
                continue;
            }
            const char c = text[i];
            if (IsSpace(c)) {
                ++i;
            } else if (text.substr(i, 2) == "//") {
                return;
            } else if (text.substr(i, 2) == "/*") {
                inComment = true;
                i += 2;
            } else if (c == '"') {
                out.push_back(ReadString(file, line, text, i));
            } else if (IsDigit(c)) {
                out.push_back(ReadNumber(file, line, text, i));
            } else if (IsNameStart(c)) {
                Token token{TokenType::Name, {}, 0, file, line};
                const std::size_t begin = i;
                while (i < text.size() && IsNameChar(text[i]))
                    ++i;
                token.Text = std::string(text.substr(begin, i - begin));
                out.push_back(std::move(token));
            } else {
                Token token{TokenType::Punct, {}, 0, file, line};
                const std::string_view two = text.substr(i, 2);
                if (two == "&&" || two == "||" || two == "==" || two == "!=") {
                    token.Text = std::string(two);
                    i += 2;
                } else if (std::string_view(",|(){}-+!~").find(c) != std::string_view::npos) {
                    token.Text = std::string(1, c);
                    ++i;
                } else {
                    Fail(file, line, "unexpected character '" + std::string(1, c) + "'");
                }
                out.push_back(std::move(token));
            }
        }
    }

    Token ReadString(int file, int line, std::string_view text, std::size_t& i) const {
        Token token{TokenType::String, {}, 0, file, line};
        ++i; // opening quote
        while (true) {
            if (i >= text.size() || text[i] == '\r')
                Fail(file, line, "unterminated string");
            const char c = text[i++];
            if (c == '"') {
                if (i < text.size() && text[i] == '"') {
                    token.Text += '"';
                    ++i;
                    continue;
                }
                return token;
            }
            if (c != '\\') {
                token.Text += c;
                continue;
            }
            if (i >= text.size())
                Fail(file, line, "unterminated string");
            switch (const char escaped = text[i++]) {
            case 'n':
                token.Text += '\n';
                break;
            case 't':
                token.Text += '\t';
                break;
            case 'r':
                token.Text += '\r';
                break;
            case '\\':
                token.Text += '\\';
                break;
            case '"':
                token.Text += '"';
                break;
            default:
                Fail(file, line, "unknown escape '\\" + std::string(1, escaped) + "' in string");
            }
        }
    }

    Token ReadNumber(int file, int line, std::string_view text, std::size_t& i) const {
        Token token{TokenType::Number, {}, 0, file, line};
        const std::size_t begin = i;
        constexpr std::uint64_t kLimit = std::numeric_limits<std::uint32_t>::max();
        std::uint64_t value = 0;
        if (text.substr(i, 2) == "0x" || text.substr(i, 2) == "0X") {
            i += 2;
            if (i >= text.size() || HexDigit(text[i]) < 0)
                Fail(file, line, "bad number");
            while (i < text.size() && HexDigit(text[i]) >= 0) {
                value = value * 16 + static_cast<std::uint64_t>(HexDigit(text[i++]));
                if (value > kLimit)
                    Fail(file, line, "number too large");
            }
        } else {
            while (i < text.size() && IsDigit(text[i])) {
                value = value * 10 + static_cast<std::uint64_t>(text[i++] - '0');
                if (value > kLimit)
                    Fail(file, line, "number too large");
            }
        }
        while (i < text.size() &&
               (text[i] == 'L' || text[i] == 'l' || text[i] == 'U' || text[i] == 'u'))
            ++i;
        if (i < text.size() && IsNameChar(text[i]))
            Fail(file, line, "bad number");
        token.Text = std::string(text.substr(begin, i - begin));
        token.Value = static_cast<std::int64_t>(value);
        return token;
    }

    void Directive(int file, int line, std::string_view rest, std::vector<Condition>& conditions,
                   int depth) {
        std::size_t i = 0;
        while (i < rest.size() && IsSpace(rest[i]))
            ++i;
        const std::size_t nameBegin = i;
        while (i < rest.size() && IsNameChar(rest[i]))
            ++i;
        const std::string keyword(rest.substr(nameBegin, i - nameBegin));
        const std::string_view argument = rest.substr(i);

        if (keyword == "if" || keyword == "ifdef" || keyword == "ifndef") {
            Condition condition;
            condition.ParentActive = Active(conditions);
            condition.Line = line;
            if (condition.ParentActive) {
                if (keyword == "if")
                    condition.Active = EvaluateCondition(file, line, argument);
                else
                    condition.Active =
                        IsDefined(DirectiveName(file, line, argument)) == (keyword == "ifdef");
            }
            condition.Taken = condition.Active;
            conditions.push_back(condition);
            return;
        }
        if (keyword == "elif" || keyword == "else" || keyword == "endif") {
            if (conditions.empty())
                Fail(file, line, "#" + keyword + " without #if");
            Condition& condition = conditions.back();
            if (keyword == "endif") {
                conditions.pop_back();
                return;
            }
            if (condition.InElse)
                Fail(file, line, "#" + keyword + " after #else");
            const bool wanted = !condition.Taken && condition.ParentActive &&
                                (keyword == "else" || EvaluateCondition(file, line, argument));
            condition.InElse = keyword == "else";
            condition.Active = wanted;
            condition.Taken = condition.Taken || wanted;
            return;
        }
        if (!Active(conditions))
            return;
        if (keyword == "include")
            Include(file, line, argument, depth);
        else if (keyword == "define")
            Define(file, line, argument);
        else if (keyword == "undef")
            Defines.erase(DirectiveName(file, line, argument));
        else if (keyword == "pragma")
            return;
        else if (keyword == "error")
            Fail(file, line, "#error" + std::string(argument));
        else
            Fail(file, line, "unknown directive #" + keyword);
    }

    bool IsDefined(std::string_view name) const {
        return name == "RC_INVOKED" || Defines.find(name) != Defines.end();
    }

    std::vector<Token> DirectiveTokens(int file, int line, std::string_view text) const {
        std::vector<Token> tokens;
        bool inComment = false;
        TokenizeLine(file, line, text, inComment, tokens);
        return tokens;
    }

    std::string DirectiveName(int file, int line, std::string_view text) const {
        const std::vector<Token> tokens = DirectiveTokens(file, line, text);
        if (tokens.size() != 1 || tokens[0].Type != TokenType::Name)
            Fail(file, line, "expected one name");
        return tokens[0].Text;
    }

    void Define(int file, int line, std::string_view text) {
        std::size_t i = 0;
        while (i < text.size() && IsSpace(text[i]))
            ++i;
        const std::size_t begin = i;
        while (i < text.size() && IsNameChar(text[i]))
            ++i;
        if (begin == i || !IsNameStart(text[begin]))
            Fail(file, line, "expected a name after #define");
        if (i < text.size() && text[i] == '(')
            Fail(file, line, "macros with parameters are not supported");
        Defines[std::string(text.substr(begin, i - begin))] =
            DirectiveTokens(file, line, text.substr(i));
    }

    void Include(int file, int line, std::string_view text, int depth) {
        std::size_t i = 0;
        while (i < text.size() && IsSpace(text[i]))
            ++i;
        if (i < text.size() && text[i] == '<')
            return; // a system header: its names are known to the reader already
        const std::vector<Token> tokens = DirectiveTokens(file, line, text);
        if (tokens.size() != 1 || tokens[0].Type != TokenType::String)
            Fail(file, line, "expected a file name in quotes after #include");
        const std::string& name = tokens[0].Text;
        std::optional<std::string_view> bytes = lookup_ ? lookup_(name) : std::nullopt;
        if (!bytes && lookup_)
            bytes = lookup_(BaseName(name));
        if (!bytes)
            Fail(file, line, "cannot find include file \"" + name + "\"");
        if (depth + 1 > kMaxIncludeDepth)
            Fail(file, line, "#include nested too deeply");
        ProcessFile(name, *bytes, depth + 1);
    }

    // #if and #elif: ||, &&, ==, !=, !, defined, numbers and names (0 when not defined).
    bool EvaluateCondition(int file, int line, std::string_view text) const {
        const std::vector<Token> tokens = DirectiveTokens(file, line, text);
        std::size_t position = 0;
        const std::int64_t value = ConditionOr(file, line, tokens, position, 0);
        if (position != tokens.size())
            Fail(file, line, "bad #if expression");
        return value != 0;
    }

    std::int64_t ConditionOr(int file, int line, const std::vector<Token>& tokens,
                             std::size_t& position, int depth) const {
        std::int64_t value = ConditionAnd(file, line, tokens, position, depth);
        while (position < tokens.size() && tokens[position].Text == "||") {
            ++position;
            const std::int64_t right = ConditionAnd(file, line, tokens, position, depth);
            value = (value != 0 || right != 0) ? 1 : 0;
        }
        return value;
    }

    std::int64_t ConditionAnd(int file, int line, const std::vector<Token>& tokens,
                              std::size_t& position, int depth) const {
        std::int64_t value = ConditionEquality(file, line, tokens, position, depth);
        while (position < tokens.size() && tokens[position].Text == "&&") {
            ++position;
            const std::int64_t right = ConditionEquality(file, line, tokens, position, depth);
            value = (value != 0 && right != 0) ? 1 : 0;
        }
        return value;
    }

    std::int64_t ConditionEquality(int file, int line, const std::vector<Token>& tokens,
                                   std::size_t& position, int depth) const {
        std::int64_t value = ConditionUnary(file, line, tokens, position, depth);
        while (position < tokens.size() &&
               (tokens[position].Text == "==" || tokens[position].Text == "!=")) {
            const bool equal = tokens[position++].Text == "==";
            const std::int64_t right = ConditionUnary(file, line, tokens, position, depth);
            value = ((value == right) == equal) ? 1 : 0;
        }
        return value;
    }

    std::int64_t ConditionUnary(int file, int line, const std::vector<Token>& tokens,
                                std::size_t& position, int depth) const {
        if (depth > kMaxExpansionDepth)
            Fail(file, line, "#if expression nested too deeply");
        if (position >= tokens.size())
            Fail(file, line, "bad #if expression");
        const Token& token = tokens[position++];
        if (token.Text == "!" && token.Type == TokenType::Punct)
            return ConditionUnary(file, line, tokens, position, depth + 1) == 0 ? 1 : 0;
        if (token.Text == "-" && token.Type == TokenType::Punct)
            return -ConditionUnary(file, line, tokens, position, depth + 1);
        if (token.Text == "(" && token.Type == TokenType::Punct) {
            const std::int64_t value = ConditionOr(file, line, tokens, position, depth + 1);
            if (position >= tokens.size() || tokens[position].Text != ")")
                Fail(file, line, "missing ')' in #if expression");
            ++position;
            return value;
        }
        if (token.Type == TokenType::Number)
            return token.Value;
        if (token.Type != TokenType::Name)
            Fail(file, line, "bad #if expression");
        if (token.Text == "defined") {
            const bool parenthesised = position < tokens.size() && tokens[position].Text == "(";
            if (parenthesised)
                ++position;
            if (position >= tokens.size() || tokens[position].Type != TokenType::Name)
                Fail(file, line, "expected a name after defined");
            const bool defined = IsDefined(tokens[position++].Text);
            if (parenthesised) {
                if (position >= tokens.size() || tokens[position].Text != ")")
                    Fail(file, line, "missing ')' after defined");
                ++position;
            }
            return defined ? 1 : 0;
        }
        const auto define = Defines.find(token.Text);
        if (define == Defines.end() || define->second.empty())
            return 0;
        std::size_t inner = 0;
        const std::int64_t value = ConditionOr(file, line, define->second, inner, depth + 1);
        if (inner != define->second.size())
            Fail(file, line, "bad #if expression");
        return value;
    }

    const FileLookup& lookup_;
    int lastLine_ = 0;
    int lastFile_ = 0;
};

// The statements of the script, over the preprocessed tokens.
class Parser {
public:
    explicit Parser(Preprocessor& preprocessor)
        : pre_(preprocessor), tokens_(preprocessor.Tokens), end_(preprocessor.EndToken()) {}

    ResourceScript Run() {
        ResourceScript script;
        while (Peek().Type != TokenType::End) {
            if (IsKeyword(Peek(), "LANGUAGE")) {
                Language();
                continue;
            }
            const Token& idToken = Peek();
            const int id = Integer(1, 65535, "resource id");
            const Token& type = Next();
            const std::string typeName = Upper(type.Text);
            if (type.Type != TokenType::Name)
                Fail(type, "expected a resource type");
            SkipMemoryOptions();
            if (typeName == "DIALOG" || typeName == "DIALOGEX") {
                if (script.FindDialog(id))
                    Fail(idToken, "dialog " + std::to_string(id) + " is defined twice");
                script.Dialogs.push_back(Dialog(id, typeName == "DIALOGEX"));
            } else if (typeName == "BITMAP") {
                if (script.FindBitmap(id))
                    Fail(idToken, "bitmap " + std::to_string(id) + " is defined twice");
                script.Bitmaps.push_back(Bitmap(id));
            } else {
                Fail(type, "unsupported resource type " + type.Text);
            }
        }
        return script;
    }

private:
    [[noreturn]] void Fail(const Token& token, std::string_view reason) const {
        pre_.Fail(token.File, token.Line, reason);
    }

    const Token& Peek() const { return position_ < tokens_.size() ? tokens_[position_] : end_; }

    const Token& Next() {
        const Token& token = Peek();
        if (token.Type == TokenType::End)
            Fail(token, "unexpected end of script");
        ++position_;
        return token;
    }

    static bool IsKeyword(const Token& token, std::string_view keyword) {
        return token.Type == TokenType::Name && Upper(token.Text) == keyword;
    }

    static bool IsPunct(const Token& token, std::string_view punct) {
        return token.Type == TokenType::Punct && token.Text == punct;
    }

    void Expect(std::string_view punct) {
        const Token& token = Next();
        if (!IsPunct(token, punct))
            Fail(token, "expected '" + std::string(punct) + "'");
    }

    bool Accept(std::string_view punct) {
        if (!IsPunct(Peek(), punct))
            return false;
        ++position_;
        return true;
    }

    void Language() {
        ++position_;
        for (int part = 0; part < 2; ++part) {
            const Token& token = Next();
            if (token.Type != TokenType::Name && token.Type != TokenType::Number)
                Fail(token, "expected a language");
            if (part == 0)
                Expect(",");
        }
    }

    void SkipMemoryOptions() {
        static constexpr std::string_view kOptions[] = {"PRELOAD",  "LOADONCALL",  "FIXED",
                                                        "MOVEABLE", "DISCARDABLE", "PURE",
                                                        "IMPURE",   "SHARED",      "NONSHARED"};
        while (Peek().Type == TokenType::Name) {
            bool option = false;
            for (std::string_view name : kOptions)
                option = option || IsKeyword(Peek(), name);
            if (!option)
                return;
            ++position_;
        }
    }

    // Numeric expressions: | + - ~ and parentheses over numbers and names.
    std::int64_t Expression(int depth = 0) {
        std::int64_t value = Sum(depth);
        while (Accept("|"))
            value = value | Sum(depth);
        return value;
    }

    std::int64_t Sum(int depth) {
        std::int64_t value = Unary(depth);
        while (true) {
            if (Accept("+"))
                value = Clamp(value + Unary(depth));
            else if (Accept("-"))
                value = Clamp(value - Unary(depth));
            else
                return value;
        }
    }

    // Keeps intermediate results within 33 bits, so that nothing can overflow.
    std::int64_t Clamp(std::int64_t value) const {
        constexpr std::int64_t kLimit = std::int64_t(1) << 33;
        if (value > kLimit || value < -kLimit)
            Fail(Peek(), "value out of range");
        return value;
    }

    std::int64_t Unary(int depth) {
        if (depth > kMaxExpansionDepth)
            Fail(Peek(), "expression nested too deeply");
        const Token& token = Next();
        if (IsPunct(token, "-"))
            return -Unary(depth + 1);
        if (IsPunct(token, "~"))
            return ~Unary(depth + 1) & 0xFFFFFFFF;
        if (IsPunct(token, "(")) {
            const std::int64_t value = Expression(depth + 1);
            Expect(")");
            return value;
        }
        if (token.Type == TokenType::Number)
            return token.Value;
        if (token.Type == TokenType::Name)
            return NameValue(token, depth);
        Fail(token, "expected a number");
    }

    std::int64_t NameValue(const Token& token, int depth) {
        const auto define = pre_.Defines.find(token.Text);
        if (define == pre_.Defines.end()) {
            if (const auto value = style::PredefinedValue(token.Text))
                return *value;
            Fail(token, "undefined name " + token.Text);
        }
        if (define->second.empty())
            Fail(token, token.Text + " has no value");
        // The definition's tokens stand for the name.
        Parser inner(pre_, define->second);
        const std::int64_t value = inner.Expression(depth + 1);
        if (inner.position_ != define->second.size())
            Fail(token, "the value of " + token.Text + " is not a number");
        return value;
    }

    Parser(Preprocessor& preprocessor, const std::vector<Token>& tokens)
        : pre_(preprocessor), tokens_(tokens),
          end_(tokens.empty() ? preprocessor.EndToken() : tokens.back()) {
        end_.Type = TokenType::End;
    }

    int Integer(std::int64_t low, std::int64_t high, std::string_view what) {
        const Token& token = Peek();
        const std::int64_t value = Expression();
        if (value < low || value > high)
            Fail(token, std::string(what) + " out of range");
        return static_cast<int>(value);
    }

    // A style: `|`-joined terms over the defaults; `NOT term` clears the term's bits.
    std::uint32_t Style(std::uint32_t initial) {
        std::uint32_t style = initial;
        do {
            const bool clear = IsKeyword(Peek(), "NOT");
            if (clear)
                ++position_;
            const Token& token = Peek();
            const std::int64_t value = Sum(0);
            if (value < std::numeric_limits<std::int32_t>::min() ||
                value > std::numeric_limits<std::uint32_t>::max())
                Fail(token, "style out of range");
            const auto bits = static_cast<std::uint32_t>(value);
            style = clear ? (style & ~bits) : (style | bits);
        } while (Accept("|"));
        return style;
    }

    std::string String() {
        const Token& token = Next();
        if (token.Type != TokenType::String)
            Fail(token, "expected a string");
        return token.Text;
    }

    int Coordinate() {
        Expect(",");
        return Integer(-32768, 32767, "coordinate");
    }

    DialogTemplate Dialog(int id, bool extended) {
        DialogTemplate dialog;
        dialog.Id = id;
        dialog.X = Integer(-32768, 32767, "coordinate");
        dialog.Y = Coordinate();
        dialog.Width = Coordinate();
        dialog.Height = Coordinate();
        if (extended && Accept(","))
            Expression(); // help id
        dialog.Style = style::WS_POPUP | style::WS_BORDER | style::WS_SYSMENU;
        bool hasCaption = false;
        while (!IsKeyword(Peek(), "BEGIN") && !IsPunct(Peek(), "{")) {
            const Token& statement = Next();
            const std::string keyword = Upper(statement.Text);
            if (statement.Type != TokenType::Name)
                Fail(statement, "expected BEGIN");
            if (keyword == "STYLE") {
                dialog.Style = Style(0);
            } else if (keyword == "EXSTYLE") {
                dialog.ExStyle = Style(0);
            } else if (keyword == "CAPTION") {
                dialog.Caption = String();
                hasCaption = true;
            } else if (keyword == "FONT") {
                dialog.HasFont = true;
                dialog.FontSize = Integer(1, 1000, "font size");
                Expect(",");
                dialog.FontName = String();
                for (int extra = 0; extended && extra < 3 && Accept(","); ++extra)
                    Expression(); // weight, italic, character set
            } else if (keyword == "LANGUAGE") {
                --position_;
                Language();
            } else if (keyword == "CHARACTERISTICS" || keyword == "VERSION") {
                Expression();
            } else {
                Fail(statement, "unsupported dialog statement " + statement.Text);
            }
        }
        if (hasCaption)
            dialog.Style |= style::WS_CAPTION;
        ++position_; // BEGIN or {
        while (!IsKeyword(Peek(), "END") && !IsPunct(Peek(), "}"))
            dialog.Controls.push_back(Control(extended));
        ++position_;
        return dialog;
    }

    ControlTemplate Control(bool extended) {
        const Token& statement = Next();
        const std::string keyword = Upper(statement.Text);
        if (statement.Type != TokenType::Name)
            Fail(statement, "expected a control statement or END");
        constexpr std::uint32_t kChild = style::WS_CHILD | style::WS_VISIBLE;
        ControlTemplate control;
        if (keyword == "CONTROL") {
            ControlText(control);
            Expect(",");
            control.Id = Integer(-32768, 65535, "control id");
            Expect(",");
            const Token& classToken = Next();
            if (classToken.Type != TokenType::String && classToken.Type != TokenType::Name)
                Fail(classToken, "expected a control class");
            control.ClassName = classToken.Text;
            Expect(",");
            const Token& styleToken = Peek();
            control.Style = Style(kChild);
            Position(control);
            if (Accept(","))
                control.ExStyle = Style(0);
            if (extended && Accept(","))
                Expression(); // help id
            control.Kind = Classify(control, classToken, styleToken);
            return control;
        }

        std::uint32_t defaults = 0;
        if (keyword == "LTEXT") {
            control.ClassName = "Static";
            defaults = style::SS_LEFT | style::WS_GROUP;
        } else if (keyword == "PUSHBUTTON") {
            control.ClassName = "Button";
            defaults = style::BS_PUSHBUTTON | style::WS_TABSTOP;
        } else if (keyword == "DEFPUSHBUTTON") {
            control.ClassName = "Button";
            defaults = style::BS_DEFPUSHBUTTON | style::WS_TABSTOP;
        } else if (keyword == "GROUPBOX") {
            control.ClassName = "Button";
            defaults = style::BS_GROUPBOX;
        } else if (keyword == "COMBOBOX") {
            control.ClassName = "ComboBox";
            defaults = style::WS_TABSTOP; // and CBS_SIMPLE unless the style names a type
        } else {
            Fail(statement, "unsupported control statement " + statement.Text);
        }
        if (keyword != "COMBOBOX") {
            control.Text = String();
            Expect(",");
        }
        control.Id = Integer(-32768, 65535, "control id");
        Position(control);
        control.Style = defaults | kChild;
        const Token& styleToken = Peek();
        if (Accept(","))
            control.Style = Style(control.Style);
        if (Accept(","))
            control.ExStyle = Style(0);
        if (extended && Accept(","))
            Expression(); // help id
        if (keyword == "COMBOBOX" && (control.Style & style::CBS_TYPEMASK) == 0)
            control.Style |= style::CBS_SIMPLE;
        control.Kind = Classify(control, statement, styleToken);
        return control;
    }

    // A control's text: a string, or a resource id (the image of a picture).
    void ControlText(ControlTemplate& control) {
        if (Peek().Type == TokenType::String) {
            control.Text = Next().Text;
            return;
        }
        control.ImageId = Integer(0, 65535, "resource id");
    }

    void Position(ControlTemplate& control) {
        control.X = Coordinate();
        control.Y = Coordinate();
        control.Width = Coordinate();
        control.Height = Coordinate();
    }

    Kind Classify(const ControlTemplate& control, const Token& classToken,
                  const Token& styleToken) const {
        const std::string className = Upper(control.ClassName);
        if (className == "BUTTON") {
            switch (control.Style & style::BS_TYPEMASK) {
            case style::BS_PUSHBUTTON:
                return Kind::PushButton;
            case style::BS_DEFPUSHBUTTON:
                return Kind::DefPushButton;
            case style::BS_RADIOBUTTON:
            case style::BS_AUTORADIOBUTTON:
                return Kind::RadioButton;
            case style::BS_GROUPBOX:
                return Kind::GroupBox;
            default:
                Fail(styleToken, "unsupported button style");
            }
        }
        if (className == "STATIC") {
            const std::uint32_t type = control.Style & style::SS_TYPEMASK;
            if (type == style::SS_BITMAP)
                return Kind::Picture;
            if (type <= 0x0C || (type >= 0x10 && type <= 0x12))
                return Kind::Text;
            Fail(styleToken, "unsupported static style");
        }
        if (className == "COMBOBOX")
            return Kind::ComboBox;
        if (className == "SYSTREEVIEW32")
            return Kind::TreeView;
        if (className == "SYSTABCONTROL32")
            return Kind::TabControl;
        Fail(classToken, "unsupported control class \"" + control.ClassName + "\"");
    }

    BitmapResource Bitmap(int id) {
        const Token& nameToken = Peek();
        BitmapResource bitmap;
        bitmap.Id = id;
        bitmap.FileName = String();
        const std::optional<std::string_view> bytes = FindFile(bitmap.FileName);
        if (!bytes)
            Fail(nameToken, "cannot find bitmap file \"" + bitmap.FileName + "\"");
        auto decoded = DecodeBitmapFile(*bytes);
        if (auto* reason = std::get_if<std::string>(&decoded))
            Fail(nameToken, bitmap.FileName + ": " + *reason);
        bitmap.Pixels = std::move(std::get<desktop::Pixels>(decoded));
        return bitmap;
    }

    std::optional<std::string_view> FindFile(const std::string& name) const;

    Preprocessor& pre_;
    const std::vector<Token>& tokens_;
    Token end_;
    std::size_t position_ = 0;

public:
    const FileLookup* Lookup = nullptr;
};

std::optional<std::string_view> Parser::FindFile(const std::string& name) const {
    if (!Lookup || !*Lookup)
        return std::nullopt;
    if (auto bytes = (*Lookup)(name))
        return bytes;
    return (*Lookup)(BaseName(name));
}

} // namespace

const DialogTemplate* ResourceScript::FindDialog(int id) const {
    for (const DialogTemplate& dialog : Dialogs)
        if (dialog.Id == id)
            return &dialog;
    return nullptr;
}

const BitmapResource* ResourceScript::FindBitmap(int id) const {
    for (const BitmapResource& bitmap : Bitmaps)
        if (bitmap.Id == id)
            return &bitmap;
    return nullptr;
}

std::variant<ResourceScript, std::string> ParseResourceScript(std::string_view script,
                                                              const FileLookup& lookup,
                                                              std::string_view scriptName) {
    try {
        Preprocessor preprocessor(lookup);
        preprocessor.ProcessFile(scriptName, script, 0);
        Parser parser(preprocessor);
        parser.Lookup = &lookup;
        return parser.Run();
    } catch (const ScriptFailure& failure) {
        return failure.Message;
    }
}

} // namespace ui::rc
