#include "Lexer.h"

#include "DateTime.h"
#include "Errors.h"
#include "Text.h"

#include <cmath>

namespace qp::vbs {

namespace {

constexpr size_t kMaxIdentifier = 255;

bool isBlank(char16_t c)
{
    return c == ' ' || c == '\t' || c == '\f' || c == '\v' || c == 0xA0 || c == 0x3000 || c == 0xFEFF;
}

bool isLineEnd(char16_t c)
{
    return c == '\r' || c == '\n' || c == 0x2028 || c == 0x2029;
}

bool isDigit(char16_t c)
{
    return c >= '0' && c <= '9';
}

int hexValue(char16_t c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

Variant integerLiteral(double v)
{
    if (v <= 32767)
        return Variant::fromInteger(int16_t(v));
    if (v <= 2147483647.0)
        return Variant::fromLong(int32_t(v));
    return Variant::fromDouble(v);
}

}  // namespace

bool isIdentifierStart(char16_t c) noexcept
{
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'))
        return true;
    if (c < 0xC0 || c == 0xD7 || c == 0xF7)
        return false;
    if (toLower(c) != toUpper(c))
        return true;
    return (c >= 0x3040 && c <= 0x30FF) || (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0xAC00 && c <= 0xD7A3)
        || c == 0xDF;
}

bool isIdentifierPart(char16_t c) noexcept
{
    return isIdentifierStart(c) || isDigit(c) || c == '_';
}

bool Lexer::fail(int32_t number, int line, int col)
{
    m_error = {number, line, col};
    return false;
}

bool Lexer::tokenize(std::vector<Token>& out)
{
    if (!m_text.empty() && m_text[0] == 0xFEFF)
        m_pos = m_lineStart = 1;  // a byte order mark is not part of the first line
    for (;;) {
        Token t;
        if (!next(t))
            return false;
        // Collapse runs of line ends and colons only where that cannot change the meaning.
        if (t.kind == Tok::Newline && !out.empty() && out.back().kind == Tok::Newline)
            continue;
        Tok kind = t.kind;
        m_statementStart = kind == Tok::Newline || kind == Tok::Colon;
        out.push_back(std::move(t));
        if (kind == Tok::Eof)
            return true;
    }
}

void Lexer::skipBlanks()
{
    while (!atEnd() && isBlank(peek()))
        ++m_pos;
}

bool Lexer::atLineContinuation() const
{
    // "_" followed by blanks and a line end (or the end of the text).
    size_t p = m_pos + 1;
    while (p < m_text.size() && isBlank(m_text[p]))
        ++p;
    return p >= m_text.size() || isLineEnd(m_text[p]);
}

void Lexer::skipLineEnd()
{
    if (peek() == '\r' && peek(1) == '\n')
        m_pos += 2;
    else
        ++m_pos;
    ++m_line;
    m_lineStart = m_pos;
}

void Lexer::skipComment()
{
    while (!atEnd() && !isLineEnd(peek()))
        ++m_pos;
}

bool Lexer::next(Token& t)
{
    int commentAt = -1;
    size_t before = m_pos;
    for (;;) {
        skipBlanks();
        if (atEnd()) {
            t.kind = Tok::Eof;
            t.line = m_line;
            t.col = col();
            return true;
        }
        char16_t c = peek();
        if (c == '_' && !isIdentifierPart(peek(1)) && atLineContinuation()) {
            ++m_pos;
            skipBlanks();
            if (!atEnd())
                skipLineEnd();
            continue;
        }
        if (c == '\'') {
            commentAt = col();
            skipComment();
            continue;
        }
        break;
    }
    t.line = m_line;
    t.col = col();
    t.spaceBefore = m_pos != before;
    // A line end after a comment stands where the comment began: the statement ended there.
    if (commentAt >= 0 && isLineEnd(peek()))
        t.col = commentAt;
    size_t start = m_pos;
    char16_t c = peek();
    bool ok;
    if (isLineEnd(c)) {
        skipLineEnd();
        t.kind = Tok::Newline;
        ok = true;
    } else if (isDigit(c) || (c == '.' && isDigit(peek(1)))) {
        ok = lexNumber(t);
    } else if (c == '&' && (peek(1) == 'h' || peek(1) == 'H' || peek(1) == 'o' || peek(1) == 'O')
               && hexValue(peek(2)) >= 0) {
        // &H and &O literals; a bare "&1" stays a concatenation, as in "a" &1.
        ok = lexRadix(t);
    } else if (c == '"') {
        ok = lexString(t);
    } else if (c == '#') {
        ok = lexDate(t);
    } else if (c == '[') {
        ok = lexBracketName(t);
    } else if (isIdentifierStart(c)) {
        ok = lexIdentifier(t);
        if (ok && t.kind == Tok::Identifier && m_statementStart && equalsNoCase(t.text, u"Rem")) {
            int at = t.col;
            skipComment();
            if (!next(t))
                return false;
            if (t.kind == Tok::Newline && t.line == m_line - 1)
                t.col = at;
            return true;
        }
        return ok;
    } else {
        ok = lexOperator(t);
    }
    if (ok && t.text.empty())
        t.text = m_text.substr(start, m_pos - start);
    return ok;
}

bool Lexer::lexNumber(Token& t)
{
    size_t start = m_pos;
    bool isFloat = false;
    while (isDigit(peek()))
        ++m_pos;
    if (peek() == '.' && isDigit(peek(1))) {
        isFloat = true;
        ++m_pos;
        while (isDigit(peek()))
            ++m_pos;
    } else if (peek() == '.' && !isIdentifierStart(peek(1))) {
        isFloat = true;  // "1." is a Double
        ++m_pos;
    }
    if ((peek() == 'e' || peek() == 'E')
        && (isDigit(peek(1)) || ((peek(1) == '+' || peek(1) == '-') && isDigit(peek(2))))) {
        isFloat = true;
        m_pos += 2;
        while (isDigit(peek()))
            ++m_pos;
    }
    std::string ascii(m_text.begin() + start, m_text.begin() + m_pos);
    double v = std::strtod(ascii.c_str(), nullptr);
    if (std::isinf(v))
        return fail(err::InvalidNumber, t.line, t.col);
    t.kind = Tok::Number;
    t.value = isFloat ? Variant::fromDouble(v) : integerLiteral(v);
    if (isIdentifierStart(peek()))
        return fail(err::ExpectedEndOfStatement, m_line, col());
    return true;
}

bool Lexer::lexRadix(Token& t)
{
    ++m_pos;  // '&'
    int base = (peek() == 'h' || peek() == 'H') ? 16 : 8;
    ++m_pos;  // 'H' or 'O'
    uint64_t v = 0;
    size_t digits = 0;
    for (;;) {
        int d = hexValue(peek());
        if (d < 0 || d >= base)
            break;
        v = v * base + d;
        ++digits;
        ++m_pos;
        if (v > 0xFFFFFFFFull)
            return fail(err::InvalidNumber, t.line, t.col);
    }
    if (digits == 0)
        return fail(err::Syntax, t.line, t.col);
    bool forceLong = false;
    if (peek() == '&') {
        forceLong = true;
        ++m_pos;
    }
    t.kind = Tok::Number;
    if (v <= 0xFFFF && !forceLong)
        t.value = Variant::fromInteger(int16_t(uint16_t(v)));
    else
        t.value = Variant::fromLong(int32_t(uint32_t(v)));
    return true;
}

bool Lexer::lexString(Token& t)
{
    ++m_pos;
    std::u16string s;
    for (;;) {
        if (atEnd() || isLineEnd(peek()))
            return fail(err::UnterminatedString, t.line, t.col);
        char16_t c = peek();
        ++m_pos;
        if (c == '"') {
            if (peek() != '"')
                break;
            ++m_pos;
        }
        s.push_back(c);
    }
    t.kind = Tok::String;
    t.value = Variant::fromString(std::move(s));
    return true;
}

bool Lexer::lexDate(Token& t)
{
    size_t start = ++m_pos;
    while (!atEnd() && peek() != '#' && !isLineEnd(peek()))
        ++m_pos;
    if (peek() != '#')
        return fail(err::InvalidCharacter, t.line, t.col);
    double serial = 0;
    if (!parseDateText(m_text.substr(start, m_pos - start), serial))
        return fail(err::Syntax, t.line, t.col);
    ++m_pos;
    t.kind = Tok::Date;
    t.value = Variant::fromDate(serial);
    return true;
}

bool Lexer::lexIdentifier(Token& t)
{
    size_t start = m_pos;
    while (isIdentifierPart(peek()))
        ++m_pos;
    if (m_pos - start > kMaxIdentifier)
        return fail(err::IdentifierTooLong, t.line, t.col);
    t.text = m_text.substr(start, m_pos - start);
    t.kind = keywordFor(t.text);
    return true;
}

bool Lexer::lexBracketName(Token& t)
{
    size_t start = ++m_pos;
    while (!atEnd() && peek() != ']' && !isLineEnd(peek()))
        ++m_pos;
    if (peek() != ']')
        return fail(err::ExpectedRBracket, m_line, col());
    if (m_pos - start > kMaxIdentifier)
        return fail(err::IdentifierTooLong, t.line, t.col);
    t.text = m_text.substr(start, m_pos - start);
    ++m_pos;
    t.kind = Tok::Identifier;
    return true;
}

bool Lexer::lexOperator(Token& t)
{
    char16_t c = peek();
    char16_t n = peek(1);
    size_t len = 1;
    switch (c) {
    case '(': t.kind = Tok::LParen; break;
    case ')': t.kind = Tok::RParen; break;
    case ',': t.kind = Tok::Comma; break;
    case '.': t.kind = Tok::Dot; break;
    case ':': t.kind = Tok::Colon; break;
    case '+': t.kind = Tok::Plus; break;
    case '-': t.kind = Tok::Minus; break;
    case '*': t.kind = Tok::Star; break;
    case '/': t.kind = Tok::Slash; break;
    case '\\': t.kind = Tok::Backslash; break;
    case '^': t.kind = Tok::Caret; break;
    case '&': t.kind = Tok::Amp; break;
    case '=': t.kind = Tok::Eq; break;
    case '<':
        if (n == '>') { t.kind = Tok::Ne; len = 2; }
        else if (n == '=') { t.kind = Tok::Le; len = 2; }
        else t.kind = Tok::Lt;
        break;
    case '>':
        if (n == '=') { t.kind = Tok::Ge; len = 2; }
        else t.kind = Tok::Gt;
        break;
    default:
        return fail(err::InvalidCharacter, t.line, t.col);
    }
    m_pos += len;
    return true;
}

}  // namespace qp::vbs
