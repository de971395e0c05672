#pragma once
// Builds the syntax tree from the tokens of the whole text. The first error stops it; the
// error carries VBScript's number and the 0-based position of the offending token.

#include "Ast.h"
#include "Lexer.h"
#include "Token.h"

#include <vector>

namespace qp::vbs {

class Parser {
public:
    // maxNesting bounds nested blocks and parentheses; binary operator chains are bounded
    // separately so that evaluation cannot recurse without limit.
    Parser(const std::vector<Token>& tokens, int maxNesting);

    bool parseProgram(ast::Program& program);
    bool parseWholeExpression(ast::ExprPtr& expr);
    const SyntaxErrorInfo& error() const { return m_error; }

    static constexpr int kMaxExpressionDepth = 1000;

private:
    enum class Context : uint8_t { Global, Procedure };
    struct Failure {};

    // Statements (ParserStatements.cpp).
    ast::Block parseBlock(std::initializer_list<Tok> stops, int32_t missingError);
    ast::StmtPtr parseStatement(bool singleLineIf = false);
    void endOfStatement(bool singleLineIf);
    ast::StmtPtr parseDim(Tok keyword);
    ast::StmtPtr parseReDim();
    ast::StmtPtr parseConst();
    ast::StmtPtr parseErase();
    ast::StmtPtr parseIf();
    void parseSingleLineIf(ast::IfStmt& stmt, ast::ExprPtr condition);
    ast::StmtPtr parseSelect();
    ast::StmtPtr parseFor();
    ast::StmtPtr parseDo();
    ast::StmtPtr parseWhile();
    ast::StmtPtr parseExit();
    ast::StmtPtr parseWith();
    ast::StmtPtr parseOnError();
    ast::StmtPtr parseProcedure(bool isFunction);
    std::unique_ptr<ast::ProcedureStmt> parseMember(ast::ProcKind kind, bool isPublic, bool isDefault);
    ast::StmtPtr parseClass();
    void parseDimItems(ast::DimStmt& s);
    ast::StmtPtr parseSet();
    ast::StmtPtr parseCallKeyword();
    ast::StmtPtr parseCallOrAssign();
    ast::StmtPtr parseOption();
    ast::ExprPtr constValue();

    // Expressions (ParserExpressions.cpp).
    ast::ExprPtr parseExpression();
    ast::ExprPtr parseBinary(int level);
    ast::ExprPtr parseNot();
    ast::ExprPtr parseUnary();
    ast::ExprPtr parsePower();
    ast::ExprPtr parsePostfix();
    ast::ExprPtr parsePrimary();
    ast::ExprPtr parseChain(ast::ExprPtr head, size_t* lastParen = nullptr);
    void parseArgs(std::vector<ast::ExprPtr>& args, Tok close);
    ast::ExprPtr binary(ast::Op op, ast::ExprPtr a, ast::ExprPtr b, ast::Pos pos);
    std::u16string memberName();

    // Tokens.
    const Token& tok() const { return m_tokens[m_pos]; }
    const Token& peekTok(size_t ahead = 1) const;
    bool at(Tok k) const { return tok().kind == k; }
    bool atWord(std::u16string_view word) const;  // an identifier spelled so
    bool accept(Tok k);
    void expect(Tok k, int32_t error);
    bool atStatementEnd() const;
    ast::Pos pos() const { return {tok().line, tok().col}; }
    [[noreturn]] void fail(int32_t number);
    [[noreturn]] void failAt(int32_t number, const Token& t);
    void enter();
    void leave() { --m_nesting; }

    const std::vector<Token>& m_tokens;
    size_t m_pos = 0;
    int m_maxNesting;
    int m_nesting = 0;
    Context m_context = Context::Global;
    bool m_inClass = false;
    ast::ExitKind m_procKind = ast::ExitKind::Sub;
    int m_doDepth = 0;
    int m_forDepth = 0;
    int m_singleLineIf = 0;
    int32_t m_blockMissing = 0;  // the error for a stray block end in the current block
    bool m_seenStatement = false;
    SyntaxErrorInfo m_error;
    ast::Program* m_program = nullptr;
};

// Runs the lexer and the parser over a whole text.
bool parseText(std::u16string_view text, int maxNesting, ast::Program& program, SyntaxErrorInfo& error);
// The same for a text that is one expression (Eval).
bool parseExpressionText(std::u16string_view text, int maxNesting, ast::ExprPtr& expr, SyntaxErrorInfo& error);

}  // namespace qp::vbs
