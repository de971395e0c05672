// The program, blocks, statement dispatch, calls and assignments, and the token helpers.
#include "Errors.h"
#include "Parser.h"
#include "Text.h"

namespace qp::vbs {

using namespace ast;

Parser::Parser(const std::vector<Token>& tokens, int maxNesting) : m_tokens(tokens), m_maxNesting(maxNesting) {}

bool parseText(std::u16string_view text, int maxNesting, Program& program, SyntaxErrorInfo& error)
{
    std::vector<Token> tokens;
    Lexer lexer(text);
    if (!lexer.tokenize(tokens)) {
        error = lexer.error();
        return false;
    }
    Parser parser(tokens, maxNesting);
    if (!parser.parseProgram(program)) {
        error = parser.error();
        return false;
    }
    return true;
}

bool parseExpressionText(std::u16string_view text, int maxNesting, ExprPtr& expr, SyntaxErrorInfo& error)
{
    std::vector<Token> tokens;
    Lexer lexer(text);
    if (!lexer.tokenize(tokens)) {
        error = lexer.error();
        return false;
    }
    Parser parser(tokens, maxNesting);
    if (!parser.parseWholeExpression(expr)) {
        error = parser.error();
        return false;
    }
    return true;
}

bool Parser::parseWholeExpression(ExprPtr& expr)
{
    try {
        while (at(Tok::Newline))
            ++m_pos;
        expr = parseExpression();
        while (at(Tok::Newline))
            ++m_pos;
        if (!at(Tok::Eof))
            fail(err::ExpectedEndOfStatement);
        return true;
    } catch (const Failure&) {
        return false;
    }
}

bool Parser::parseProgram(Program& program)
{
    m_program = &program;
    try {
        program.statements = parseBlock({Tok::Eof}, err::ExpectedStatement);
        return true;
    } catch (const Failure&) {
        return false;
    }
}

// ---- tokens

const Token& Parser::peekTok(size_t ahead) const
{
    size_t i = std::min(m_pos + ahead, m_tokens.size() - 1);
    return m_tokens[i];
}

bool Parser::atWord(std::u16string_view word) const
{
    return tok().kind == Tok::Identifier && equalsNoCase(tok().text, word);
}

bool Parser::accept(Tok k)
{
    if (!at(k))
        return false;
    ++m_pos;
    return true;
}

void Parser::expect(Tok k, int32_t error)
{
    if (!accept(k))
        fail(error);
}

bool Parser::atStatementEnd() const
{
    Tok k = tok().kind;
    return k == Tok::Newline || k == Tok::Colon || k == Tok::Eof || (m_singleLineIf > 0 && k == Tok::Else);
}

void Parser::fail(int32_t number)
{
    failAt(number, tok());
}

void Parser::failAt(int32_t number, const Token& t)
{
    m_error = {number, t.line, t.col};
    throw Failure{};
}

void Parser::enter()
{
    if (++m_nesting > m_maxNesting)
        fail(err::Syntax);
}

// ---- blocks

Block Parser::parseBlock(std::initializer_list<Tok> stops, int32_t missingError)
{
    Block block;
    enter();
    int32_t outerMissing = m_blockMissing;
    m_blockMissing = missingError;
    for (;;) {
        while (at(Tok::Newline) || at(Tok::Colon))
            ++m_pos;
        for (Tok stop : stops)
            if (at(stop)) {
                m_blockMissing = outerMissing;
                leave();
                return block;
            }
        if (at(Tok::Eof))
            fail(missingError);
        block.push_back(parseStatement());
        endOfStatement(false);
    }
}

void Parser::endOfStatement(bool singleLineIf)
{
    if (at(Tok::Newline) || at(Tok::Colon) || at(Tok::Eof) || (singleLineIf && at(Tok::Else)))
        return;
    fail(err::ExpectedEndOfStatement);
}

StmtPtr Parser::parseStatement(bool singleLineIf)
{
    Tok k = tok().kind;
    if (k != Tok::Option)
        m_seenStatement = true;
    bool global = m_context == Context::Global && m_nesting == 1;
    switch (k) {
    case Tok::Identifier:
        if (atWord(u"Property") && peekTok().kind != Tok::Eq && peekTok().kind != Tok::Dot
            && peekTok().kind != Tok::LParen)
            fail(err::OnlyInClass);
        return parseCallOrAssign();
    case Tok::Me:
    case Tok::Dot: return parseCallOrAssign();
    case Tok::Class:
        if (!global || singleLineIf)
            fail(err::ExpectedStatement);
        return parseClass();
    case Tok::Call: return parseCallKeyword();
    case Tok::Set: return parseSet();
    case Tok::Dim: return parseDim(k);
    case Tok::Public:
    case Tok::Private:
        if (!global)
            fail(err::ExpectedStatement);
        if (peekTok().kind == Tok::Sub || peekTok().kind == Tok::Function) {
            ++m_pos;
            return parseProcedure(at(Tok::Function));
        }
        if (peekTok().kind == Tok::Const) {
            ++m_pos;
            return parseConst();
        }
        return parseDim(k);
    case Tok::ReDim: return parseReDim();
    case Tok::Const: return parseConst();
    case Tok::Erase: return parseErase();
    case Tok::If: return parseIf();
    case Tok::Select: return parseSelect();
    case Tok::For: return parseFor();
    case Tok::Do: return parseDo();
    case Tok::While: return parseWhile();
    case Tok::Exit: return parseExit();
    case Tok::With: return parseWith();
    case Tok::On: return parseOnError();
    case Tok::Sub:
    case Tok::Function:
        if (!global || singleLineIf)
            fail(err::ExpectedStatement);
        return parseProcedure(k == Tok::Function);
    case Tok::Option: return parseOption();
    case Tok::Stop: {
        Pos p = pos();
        ++m_pos;
        return std::make_unique<SimpleStmt>(StmtKind::Stop, p);
    }
    case Tok::Next:
        fail(m_blockMissing == err::ExpectedStatement ? err::UnexpectedNext : m_blockMissing);
    case Tok::Loop:
        fail(m_blockMissing == err::ExpectedStatement ? err::LoopWithoutDo : m_blockMissing);
    case Tok::End:
    case Tok::Wend:
    case Tok::Else:
    case Tok::ElseIf:
    case Tok::Case:
        fail(m_blockMissing);
    default:
        fail(err::ExpectedStatement);
    }
}

// ---- calls and assignments

StmtPtr Parser::parseCallOrAssign()
{
    Pos p = pos();
    ExprPtr head = parsePrimary();
    size_t lastParen = SIZE_MAX;
    ExprPtr target = parseChain(std::move(head), &lastParen);
    if (at(Tok::Eq)) {
        ++m_pos;
        auto s = std::make_unique<AssignStmt>(StmtKind::Assign, p);
        s->target = std::move(target);
        s->value = parseExpression();
        return s;
    }
    auto s = std::make_unique<CallStmt>(p);
    if (atStatementEnd()) {
        if (target->kind == ExprKind::Call && lastParen != SIZE_MAX) {
            if (target->args.size() > 1)
                failAt(err::ParensOnSubCall, m_tokens[m_pos - 1]);
            // name(x) as a statement passes (x): a parenthesised value.
            if (target->args.size() == 1)
                target->args[0]->parenthesized = true;
        }
        s->call = std::move(target);
        return s;
    }
    if (lastParen != SIZE_MAX) {
        // name (a) + b, c: the parenthesis opens the first argument, not an argument list.
        m_pos = lastParen;
        target = std::move(target->a);
    }
    auto call = std::make_unique<Expr>(ExprKind::Call, pos());
    call->a = std::move(target);
    parseArgs(call->args, Tok::Eof);
    s->call = std::move(call);
    return s;
}

StmtPtr Parser::parseCallKeyword()
{
    Pos p = pos();
    ++m_pos;
    if (!at(Tok::Identifier) && !at(Tok::Dot) && !at(Tok::Me))
        fail(err::ExpectedIdentifier);
    auto s = std::make_unique<CallStmt>(p);
    s->explicitCall = true;
    s->call = parseChain(parsePrimary());
    return s;
}

StmtPtr Parser::parseSet()
{
    Pos p = pos();
    ++m_pos;
    if (!at(Tok::Identifier) && !at(Tok::Dot) && !at(Tok::Me))
        fail(err::ExpectedIdentifier);
    auto s = std::make_unique<AssignStmt>(StmtKind::Set, p);
    s->target = parseChain(parsePrimary());
    expect(Tok::Eq, err::ExpectedEquals);
    s->value = parseExpression();
    return s;
}

}  // namespace qp::vbs
