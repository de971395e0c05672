// Control structures: If, Select Case, For, Do, While, Exit, With, On Error.
#include "Errors.h"
#include "Parser.h"
#include "Text.h"

namespace qp::vbs {

using namespace ast;

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
    case Tok::Identifier:
        if (!equalsNoCase(tok().text, u"Property"))
            failAt(err::InvalidExit, exitToken);
        what = ExitKind::Property;
        valid = m_context == Context::Procedure && m_procKind == ExitKind::Property;
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
