// Declarations: Dim, ReDim, Const, Erase, Option Explicit, Sub and Function.
#include "Errors.h"
#include "Parser.h"
#include "Text.h"

namespace qp::vbs {

using namespace ast;

// ---- declarations

StmtPtr Parser::parseDim(Tok keyword)
{
    Pos p = pos();
    ++m_pos;
    auto s = std::make_unique<DimStmt>(StmtKind::Dim, p);
    parseDimItems(*s);
    return s;
}

void Parser::parseDimItems(DimStmt& dim)
{
    DimStmt* s = &dim;
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
    return parseMember(isFunction ? ProcKind::Function : ProcKind::Sub, true, false);
}

// Sub, Function or (in a class) Property Get / Let / Set, from its keyword to its End.
std::unique_ptr<ProcedureStmt> Parser::parseMember(ProcKind kind, bool isPublic, bool isDefault)
{
    auto s = std::make_unique<ProcedureStmt>(pos());
    s->procKind = kind;
    s->isFunction = kind == ProcKind::Function || kind == ProcKind::PropertyGet;
    s->isPublic = isPublic;
    s->isDefault = isDefault;
    bool property = kind != ProcKind::Sub && kind != ProcKind::Function;
    m_pos += property ? 2 : 1;
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
    if (m_inClass && kind == ProcKind::Sub && !s->params.empty()
        && (equalsNoCase(s->name, u"Class_Initialize") || equalsNoCase(s->name, u"Class_Terminate")))
        failAt(err::InitTerminateArgs, m_tokens[m_pos - 1]);
    if ((kind == ProcKind::PropertyLet || kind == ProcKind::PropertySet) && s->params.empty())
        failAt(err::PropertyNeedsArgument, m_tokens[m_pos - 1]);
    endOfStatement(false);
    Context outerContext = m_context;
    ExitKind outerKind = m_procKind;
    int outerDo = m_doDepth, outerFor = m_forDepth;
    m_context = Context::Procedure;
    m_procKind = property ? ExitKind::Property : s->isFunction ? ExitKind::Function : ExitKind::Sub;
    m_doDepth = m_forDepth = 0;
    s->body = parseBlock({Tok::End}, err::ExpectedEnd);
    m_context = outerContext;
    m_procKind = outerKind;
    m_doDepth = outerDo;
    m_forDepth = outerFor;
    ++m_pos;  // End
    if (property) {
        if (!atWord(u"Property"))
            fail(err::ExpectedProperty);
        ++m_pos;
    } else {
        bool function = kind == ProcKind::Function;
        expect(function ? Tok::Function : Tok::Sub, function ? err::ExpectedFunction : err::ExpectedSub);
    }
    return s;
}

namespace {

// After "Property": Get, Let or Set.
bool propertyKind(const Token& t, ProcKind& kind)
{
    if (t.kind == Tok::Set) { kind = ProcKind::PropertySet; return true; }
    if (t.kind != Tok::Identifier) return false;
    if (equalsNoCase(t.text, u"Get")) { kind = ProcKind::PropertyGet; return true; }
    if (equalsNoCase(t.text, u"Let")) { kind = ProcKind::PropertyLet; return true; }
    return false;
}

}  // namespace

StmtPtr Parser::parseClass()
{
    auto s = std::make_unique<ClassStmt>(pos());
    ++m_pos;
    if (!at(Tok::Identifier))
        fail(err::ExpectedIdentifier);
    s->name = std::u16string(tok().text);
    s->namePos = pos();
    ++m_pos;
    endOfStatement(false);
    enter();
    m_inClass = true;
    bool seenDefault = false;
    for (;;) {
        while (at(Tok::Newline) || at(Tok::Colon))
            ++m_pos;
        if (at(Tok::Eof))
            fail(err::ExpectedEnd);
        if (accept(Tok::End)) {
            expect(Tok::Class, err::ExpectedClass);
            break;
        }
        bool isPublic = true, visibility = false, isDefault = false;
        const Token& first = tok();
        if (at(Tok::Public) || at(Tok::Private)) {
            isPublic = at(Tok::Public);
            visibility = true;
            ++m_pos;
        }
        if (atWord(u"Default")) {
            if (!isPublic || !visibility)
                fail(err::DefaultNeedsPublic);
            isDefault = true;
            ++m_pos;
        }
        ProcKind kind;
        if (at(Tok::Sub) || at(Tok::Function)) {
            kind = at(Tok::Sub) ? ProcKind::Sub : ProcKind::Function;
        } else if (atWord(u"Property")) {
            if (!propertyKind(peekTok(), kind))
                failAt(err::ExpectedLetSetGet, peekTok());
            if (isDefault && kind != ProcKind::PropertyGet)
                failAt(err::DefaultOnlyOnGet, first);
        } else {
            if (isDefault)
                fail(err::DefaultPlacement);
            if (!visibility && !at(Tok::Dim))
                fail(err::ExpectedStatement);
            if (!visibility)
                ++m_pos;
            if (!at(Tok::Identifier))
                fail(err::ExpectedIdentifier);
            DimStmt fields(StmtKind::Dim, pos());
            parseDimItems(fields);
            for (DimItem& item : fields.items) {
                s->fields.push_back(std::move(item));
                s->fieldPublic.push_back(isPublic);
            }
            endOfStatement(false);
            continue;
        }
        if (isDefault) {
            if (seenDefault)
                failAt(err::MultipleDefaults, first);
            seenDefault = true;
        }
        s->members.push_back(parseMember(kind, isPublic, isDefault));
        endOfStatement(false);
    }
    m_inClass = false;
    leave();
    return s;
}

}  // namespace qp::vbs
