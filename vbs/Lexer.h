#pragma once
// Splits script text into tokens. Comments (' and Rem) and line continuations (" _" at the
// end of a line) vanish here; CR LF, LF and CR all end a line.

#include "Token.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qp::vbs {

struct SyntaxErrorInfo {
    int32_t number = 0;
    int line = 0;
    int col = 0;
};

class Lexer {
public:
    explicit Lexer(std::u16string_view text) : m_text(text) {}

    // All tokens, ending with Tok::Eof; false (and error() set) at the first bad character.
    bool tokenize(std::vector<Token>& out);
    const SyntaxErrorInfo& error() const { return m_error; }

private:
    bool next(Token& t);
    void skipBlanks();
    bool atLineContinuation() const;
    void skipLineEnd();
    void skipComment();
    bool lexNumber(Token& t);
    bool lexRadix(Token& t);
    bool lexString(Token& t);
    bool lexDate(Token& t);
    bool lexIdentifier(Token& t);
    bool lexBracketName(Token& t);
    bool lexOperator(Token& t);
    bool fail(int32_t number, int line, int col);
    char16_t peek(size_t ahead = 0) const
    {
        return m_pos + ahead < m_text.size() ? m_text[m_pos + ahead] : u'\0';
    }
    bool atEnd() const { return m_pos >= m_text.size(); }
    int col() const { return int(m_pos - m_lineStart); }

    std::u16string_view m_text;
    size_t m_pos = 0;
    size_t m_lineStart = 0;
    int m_line = 0;
    bool m_statementStart = true;  // Rem is a comment only where a statement may begin
    SyntaxErrorInfo m_error;
};

bool isIdentifierStart(char16_t c) noexcept;
bool isIdentifierPart(char16_t c) noexcept;

}  // namespace qp::vbs
