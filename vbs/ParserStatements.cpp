// Statements and blocks, and the token helpers.
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
    case Tok::Dot: return parseCallOrAssign();
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
        fail(m_blockMissing == err::ExpectedStatement ? 1038 : m_blockMissing);
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
    if (!at(Tok::Identifier) && !at(Tok::Dot))
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
    if (!at(Tok::Identifier) && !at(Tok::Dot))
        fail(err::ExpectedIdentifier);
    auto s = std::make_unique<AssignStmt>(StmtKind::Set, p);
    s->target = parseChain(parsePrimary());
    expect(Tok::Eq, err::ExpectedEquals);
    s->value = parseExpression();
    return s;
}

// ---- declarations

StmtPtr Parser::parseDim(Tok keyword)
{
    Pos p = pos();
    ++m_pos;
    auto s = std::make_unique<DimStmt>(StmtKind::Dim, p);
    do {
        DimItem item;
        item.pos = pos();
        if (!at(Tok::Identifier))
            fail(err::ExpectedIdentifier);
        item.name = std::u16string(tok().text);
        ++m_pos;
        if (accept(Tok::LParen)) {
            item.isArray = true;
            if (!accept(Tok::RParen)) {
                do {
                    if (!at(Tok::Number) || !(tok().value.type() == VarType::Integer || tok().value.type() == VarType::Long))
                        fail(err::ExpectedInteger);
                    auto e = std::make_unique<Expr>(ExprKind::Literal, pos());
                    e->value = tok().value;
                    ++m_pos;
                    item.bounds.push_back(std::move(e));
                } while (accept(Tok::Comma));
                expect(Tok::RParen, err::ExpectedRParen);
            }
        }
        s->items.push_back(std::move(item));
    } while (accept(Tok::Comma));
    return s;
}

StmtPtr Parser::parseReDim()
{
    Pos p = pos();
    ++m_pos;
    auto s = std::make_unique<DimStmt>(StmtKind::ReDim, p);
    if (atWord(u"Preserve")) {
        s->preserve = true;
        ++m_pos;
    }
    do {
        DimItem item;
        item.pos = pos();
        if (!at(Tok::Identifier))
            fail(err::ExpectedIdentifier);
        item.name = std::u16string(tok().text);
        ++m_pos;
        expect(Tok::LParen, err::ExpectedLParen);
        item.isArray = true;
        do {
            item.bounds.push_back(parseExpression());
        } while (accept(Tok::Comma));
        expect(Tok::RParen, err::ExpectedRParen);
        s->items.push_back(std::move(item));
    } while (accept(Tok::Comma));
    return s;
}

ExprPtr Parser::constValue()
{
    Pos p = pos();
    bool negate = false;
    while (at(Tok::Minus) || at(Tok::Plus)) {
        negate ^= at(Tok::Minus);
        ++m_pos;
    }
    Tok k = tok().kind;
    if (k != Tok::Number && k != Tok::String && k != Tok::Date && k != Tok::True && k != Tok::False
        && k != Tok::Empty && k != Tok::Null && k != Tok::Nothing)
        fail(err::ExpectedLiteral);
    ExprPtr e = parsePrimary();
    if (negate) {
        auto u = std::make_unique<Expr>(ExprKind::Unary, p);
        u->op = Op::Neg;
        u->a = std::move(e);
        u->isLiteral = true;
        return u;
    }
    return e;
}

StmtPtr Parser::parseConst()
{
    Pos p = pos();
    ++m_pos;
    auto s = std::make_unique<ConstStmt>(p);
    do {
        ConstItem item;
        item.pos = pos();
        if (!at(Tok::Identifier))
            fail(err::ExpectedIdentifier);
        item.name = std::u16string(tok().text);
        ++m_pos;
        expect(Tok::Eq, err::ExpectedEquals);
        item.value = constValue();
        s->items.push_back(std::move(item));
    } while (accept(Tok::Comma));
    return s;
}

StmtPtr Parser::parseErase()
{
    Pos p = pos();
    ++m_pos;
    auto s = std::make_unique<EraseStmt>(p);
    do {
        if (!at(Tok::Identifier))
            fail(err::ExpectedIdentifier);
        s->targets.push_back(parsePrimary());
    } while (accept(Tok::Comma));
    return s;
}

StmtPtr Parser::parseOption()
{
    Pos p = pos();
    ++m_pos;
    if (!atWord(u"Explicit"))
        fail(err::ExpectedIdentifier);
    if (m_seenStatement)
        failAt(err::ExpectedStatement, m_tokens[m_pos - 1]);
    ++m_pos;
    m_program->optionExplicit = true;
    return std::make_unique<SimpleStmt>(StmtKind::OptionExplicit, p);
}

StmtPtr Parser::parseProcedure(bool isFunction)
{
    auto s = std::make_unique<ProcedureStmt>(pos());
    s->isFunction = isFunction;
    ++m_pos;
    if (!at(Tok::Identifier))
        fail(err::ExpectedIdentifier);
    s->name = std::u16string(tok().text);
    s->namePos = pos();
    ++m_pos;
    if (accept(Tok::LParen) && !accept(Tok::RParen)) {
        do {
            Param param;
            if (accept(Tok::ByVal))
                param.byVal = true;
            else
                accept(Tok::ByRef);
            param.pos = pos();
            if (!at(Tok::Identifier))
                fail(err::ExpectedIdentifier);
            param.name = std::u16string(tok().text);
            ++m_pos;
            if (accept(Tok::LParen)) {
                expect(Tok::RParen, err::ExpectedRParen);
                param.isArray = true;
            }
            s->params.push_back(std::move(param));
        } while (accept(Tok::Comma));
        expect(Tok::RParen, err::ExpectedRParen);
    }
    endOfStatement(false);
    Context outerContext = m_context;
    ExitKind outerKind = m_procKind;
    int outerDo = m_doDepth, outerFor = m_forDepth;
    m_context = Context::Procedure;
    m_procKind = isFunction ? ExitKind::Function : ExitKind::Sub;
    m_doDepth = m_forDepth = 0;
    s->body = parseBlock({Tok::End}, err::ExpectedEnd);
    m_context = outerContext;
    m_procKind = outerKind;
    m_doDepth = outerDo;
    m_forDepth = outerFor;
    ++m_pos;  // End
    expect(isFunction ? Tok::Function : Tok::Sub, isFunction ? err::ExpectedFunction : err::ExpectedSub);
    return s;
}

// ---- control flow

StmtPtr Parser::parseIf()
{
    auto s = std::make_unique<IfStmt>(pos());
    ++m_pos;
    ExprPtr condition = parseExpression();
    expect(Tok::Then, err::ExpectedThen);
    if (!at(Tok::Newline) && !at(Tok::Eof)) {
        parseSingleLineIf(*s, std::move(condition));
        return s;
    }
    IfBranch first;
    first.condition = std::move(condition);
    first.body = parseBlock({Tok::ElseIf, Tok::Else, Tok::End}, err::ExpectedEnd);
    s->branches.push_back(std::move(first));
    while (accept(Tok::ElseIf)) {
        IfBranch branch;
        branch.condition = parseExpression();
        expect(Tok::Then, err::ExpectedThen);
        branch.body = parseBlock({Tok::ElseIf, Tok::Else, Tok::End}, err::ExpectedEnd);
        s->branches.push_back(std::move(branch));
    }
    if (accept(Tok::Else)) {
        IfBranch branch;
        branch.body = parseBlock({Tok::End}, err::ExpectedEnd);
        s->branches.push_back(std::move(branch));
    }
    expect(Tok::End, err::ExpectedEnd);
    expect(Tok::If, err::ExpectedIf);
    return s;
}

void Parser::parseSingleLineIf(IfStmt& s, ExprPtr condition)
{
    ++m_singleLineIf;
    enter();
    auto parsePart = [&](Block& body) {
        for (;;) {
            if (accept(Tok::Colon))
                continue;
            if (at(Tok::Newline) || at(Tok::Eof) || at(Tok::Else))
                return;
            body.push_back(parseStatement(true));
            endOfStatement(true);
        }
    };
    IfBranch then;
    then.condition = std::move(condition);
    parsePart(then.body);
    s.branches.push_back(std::move(then));
    if (accept(Tok::Else)) {
        IfBranch otherwise;
        --m_singleLineIf;  // an Else here belongs to an enclosing one-line If
        parsePart(otherwise.body);
        ++m_singleLineIf;
        s.branches.push_back(std::move(otherwise));
    }
    leave();
    --m_singleLineIf;
}

StmtPtr Parser::parseSelect()
{
    auto s = std::make_unique<SelectStmt>(pos());
    ++m_pos;
    expect(Tok::Case, err::ExpectedCase);
    s->subject = parseExpression();
    endOfStatement(false);
    while (at(Tok::Newline) || at(Tok::Colon))
        ++m_pos;
    bool seenElse = false;
    while (at(Tok::Case)) {
        if (seenElse)
            fail(err::ExpectedEnd);
        ++m_pos;
        CaseClause clause;
        if (accept(Tok::Else)) {
            clause.isElse = seenElse = true;
        } else {
            do {
                clause.values.push_back(parseExpression());
            } while (accept(Tok::Comma));
        }
        endOfStatement(false);
        clause.body = parseBlock({Tok::Case, Tok::End}, err::ExpectedEnd);
        s->cases.push_back(std::move(clause));
    }
    if (at(Tok::Eof))
        fail(err::ExpectedEnd);
    if (!at(Tok::End))
        fail(err::ExpectedCase);
    ++m_pos;
    expect(Tok::Select, err::ExpectedSelect);
    return s;
}

StmtPtr Parser::parseFor()
{
    Pos p = pos();
    ++m_pos;
    if (accept(Tok::Each)) {
        auto s = std::make_unique<ForEachStmt>(p);
        if (!at(Tok::Identifier))
            fail(err::ExpectedIdentifier);
        s->element = parsePrimary();
        expect(Tok::In, err::ExpectedIn);
        s->group = parseExpression();
        endOfStatement(false);
        ++m_forDepth;
        s->body = parseBlock({Tok::Next}, err::ExpectedNext);
        --m_forDepth;
        ++m_pos;
        return s;
    }
    auto s = std::make_unique<ForStmt>(p);
    if (!at(Tok::Identifier))
        fail(err::ExpectedIdentifier);
    s->counter = parsePrimary();
    expect(Tok::Eq, err::ExpectedEquals);
    s->from = parseExpression();
    expect(Tok::To, err::ExpectedTo);
    s->to = parseExpression();
    if (atWord(u"Step")) {
        ++m_pos;
        s->step = parseExpression();
    }
    endOfStatement(false);
    ++m_forDepth;
    s->body = parseBlock({Tok::Next}, err::ExpectedNext);
    --m_forDepth;
    ++m_pos;
    return s;
}

StmtPtr Parser::parseDo()
{
    auto s = std::make_unique<DoStmt>(StmtKind::Do, pos());
    ++m_pos;
    if (at(Tok::While) || at(Tok::Until)) {
        s->test = at(Tok::While) ? LoopTest::WhileBefore : LoopTest::UntilBefore;
        ++m_pos;
        s->condition = parseExpression();
    } else if (!atStatementEnd()) {
        fail(err::ExpectedWhileUntilEnd);
    }
    endOfStatement(false);
    ++m_doDepth;
    s->body = parseBlock({Tok::Loop}, err::ExpectedLoop);
    --m_doDepth;
    ++m_pos;
    if (at(Tok::While) || at(Tok::Until)) {
        if (s->test != LoopTest::None)
            fail(err::ExpectedEndOfStatement);
        s->test = at(Tok::While) ? LoopTest::WhileAfter : LoopTest::UntilAfter;
        ++m_pos;
        s->condition = parseExpression();
    } else if (!atStatementEnd()) {
        fail(err::ExpectedWhileUntilEnd);
    }
    return s;
}

StmtPtr Parser::parseWhile()
{
    auto s = std::make_unique<DoStmt>(StmtKind::While, pos());
    ++m_pos;
    s->test = LoopTest::WhileBefore;
    s->condition = parseExpression();
    endOfStatement(false);
    int outerDo = m_doDepth;
    m_doDepth = 0;  // Exit Do does not leave a While loop
    s->body = parseBlock({Tok::Wend}, err::ExpectedWend);
    m_doDepth = outerDo;
    ++m_pos;
    return s;
}

StmtPtr Parser::parseExit()
{
    Pos p = pos();
    const Token& exitToken = tok();
    ++m_pos;
    ExitKind what;
    bool valid;
    switch (tok().kind) {
    case Tok::Do: what = ExitKind::Do; valid = m_doDepth > 0; break;
    case Tok::For: what = ExitKind::For; valid = m_forDepth > 0; break;
    case Tok::Sub: what = ExitKind::Sub; valid = m_context == Context::Procedure && m_procKind == ExitKind::Sub; break;
    case Tok::Function:
        what = ExitKind::Function;
        valid = m_context == Context::Procedure && m_procKind == ExitKind::Function;
        break;
    default: failAt(err::InvalidExit, exitToken);
    }
    if (!valid)
        failAt(err::InvalidExit, exitToken);
    ++m_pos;
    return std::make_unique<ExitStmt>(p, what);
}

StmtPtr Parser::parseWith()
{
    auto s = std::make_unique<WithStmt>(pos());
    ++m_pos;
    s->object = parseExpression();
    endOfStatement(false);
    s->body = parseBlock({Tok::End}, err::ExpectedEnd);
    ++m_pos;
    expect(Tok::With, err::ExpectedWith);
    return s;
}

StmtPtr Parser::parseOnError()
{
    Pos p = pos();
    ++m_pos;
    if (!atWord(u"Error"))
        fail(err::Syntax);
    ++m_pos;
    if (atWord(u"Resume")) {
        ++m_pos;
        expect(Tok::Next, err::Syntax);
        return std::make_unique<OnErrorStmt>(p, true);
    }
    expect(Tok::GoTo, err::Syntax);
    if (!at(Tok::Number) || tok().value.type() != VarType::Integer || tok().value.integerValue() != 0)
        fail(err::Syntax);
    ++m_pos;
    return std::make_unique<OnErrorStmt>(p, false);
}

}  // namespace qp::vbs
