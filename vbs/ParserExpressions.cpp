// Expressions, from the loosest operator (Imp) to the primaries.
#include "Errors.h"
#include "Parser.h"

#include <algorithm>

namespace qp::vbs {

using namespace ast;

namespace {

struct BinaryLevel {
    Tok tokens[6];
    Op ops[6];
    int count;
};

// Loosest first. Not sits between And and the comparisons (parseNot).
constexpr BinaryLevel kLevels[] = {
    {{Tok::Imp}, {Op::Imp}, 1},
    {{Tok::Eqv}, {Op::Eqv}, 1},
    {{Tok::Xor}, {Op::Xor}, 1},
    {{Tok::Or}, {Op::Or}, 1},
    {{Tok::And}, {Op::And}, 1},
    {{Tok::Eq, Tok::Ne, Tok::Lt, Tok::Gt, Tok::Le, Tok::Ge}, {Op::Eq, Op::Ne, Op::Lt, Op::Gt, Op::Le, Op::Ge}, 6},
    {{Tok::Amp}, {Op::Concat}, 1},
    {{Tok::Plus, Tok::Minus}, {Op::Add, Op::Sub}, 2},
    {{Tok::Mod}, {Op::Mod}, 1},
    {{Tok::Backslash}, {Op::IntDiv}, 1},
    {{Tok::Star, Tok::Slash}, {Op::Mul, Op::Div}, 2},
};
constexpr int kLevelCount = int(std::size(kLevels));
constexpr int kNotLevel = 5;  // parseBinary(kNotLevel) parses Not first
static_assert(kLevelCount == 11, "operator levels");

}  // namespace

ExprPtr Parser::parseExpression()
{
    enter();
    ExprPtr e = parseBinary(0);
    leave();
    return e;
}

ExprPtr Parser::binary(Op op, ExprPtr a, ExprPtr b, Pos p)
{
    auto e = std::make_unique<Expr>(ExprKind::Binary, p);
    e->op = op;
    e->depth = std::max(a->depth, b->depth) + 1;
    e->a = std::move(a);
    e->b = std::move(b);
    if (e->depth > kMaxExpressionDepth)
        fail(err::Syntax);
    return e;
}

ExprPtr Parser::parseBinary(int level)
{
    if (level == kNotLevel)
        return parseNot();
    if (level == kLevelCount)
        return parseUnary();
    ExprPtr left = parseBinary(level + 1);
    const BinaryLevel& L = kLevels[level];
    for (;;) {
        int found = -1;
        for (int i = 0; i < L.count; ++i)
            if (at(L.tokens[i]))
                found = i;
        if (found < 0)
            return left;
        Op op = L.ops[found];
        Pos p = pos();
        ++m_pos;
        ExprPtr right = parseBinary(level + 1);
        left = binary(op, std::move(left), std::move(right), p);
    }
}

ExprPtr Parser::parseNot()
{
    if (!at(Tok::Not)) {
        // The comparison level, which also takes "Is".
        ExprPtr left = parseBinary(kNotLevel + 1);
        const BinaryLevel& L = kLevels[kNotLevel];
        for (;;) {
            Op op;
            int found = -1;
            for (int i = 0; i < L.count; ++i)
                if (at(L.tokens[i]))
                    found = i;
            if (found >= 0)
                op = L.ops[found];
            else if (at(Tok::Is))
                op = Op::Is;
            else
                return left;
            Pos p = pos();
            ++m_pos;
            ExprPtr right = parseBinary(kNotLevel + 1);
            left = binary(op, std::move(left), std::move(right), p);
        }
    }
    Pos p = pos();
    ++m_pos;
    enter();
    auto e = std::make_unique<Expr>(ExprKind::Unary, p);
    e->op = Op::Not;
    e->a = parseNot();
    e->depth = e->a->depth + 1;
    leave();
    return e;
}

ExprPtr Parser::parseUnary()
{
    if (!at(Tok::Minus) && !at(Tok::Plus))
        return parsePower();
    Pos p = pos();
    Op op = at(Tok::Minus) ? Op::Neg : Op::Plus;
    ++m_pos;
    enter();
    auto e = std::make_unique<Expr>(ExprKind::Unary, p);
    e->op = op;
    e->a = parseUnary();
    e->depth = e->a->depth + 1;
    e->isLiteral = e->a->isLiteral && !e->a->value.isString();
    leave();
    return e;
}

ExprPtr Parser::parsePower()
{
    ExprPtr left = parsePostfix();
    while (at(Tok::Caret)) {
        Pos p = pos();
        ++m_pos;
        ExprPtr right = (at(Tok::Minus) || at(Tok::Plus)) ? parseUnary() : parsePostfix();
        left = binary(Op::Pow, std::move(left), std::move(right), p);
    }
    return left;
}

ExprPtr Parser::parsePostfix()
{
    return parseChain(parsePrimary());
}

std::u16string Parser::memberName()
{
    // After a dot any word is a member name, reserved or not.
    const Token& t = tok();
    if (t.kind == Tok::Identifier || t.kind >= Tok::And) {
        ++m_pos;
        return std::u16string(t.text);
    }
    fail(err::ExpectedIdentifier);
}

ExprPtr Parser::parseChain(ExprPtr head, size_t* lastParen)
{
    if (lastParen)
        *lastParen = SIZE_MAX;
    bool callable = head->kind == ExprKind::Name || head->kind == ExprKind::WithMember
        || head->kind == ExprKind::Member || head->kind == ExprKind::Call || head->kind == ExprKind::Me
        || head->parenthesized;
    while (callable) {
        if (at(Tok::Dot) && !tok().spaceBefore) {
            Pos p = pos();
            ++m_pos;
            auto m = std::make_unique<Expr>(ExprKind::Member, p);
            m->name = memberName();
            m->depth = head->depth + 1;
            m->a = std::move(head);
            head = std::move(m);
            if (lastParen)
                *lastParen = SIZE_MAX;
        } else if (at(Tok::LParen)) {
            size_t parenAt = m_pos;
            Pos p = pos();
            ++m_pos;
            auto c = std::make_unique<Expr>(ExprKind::Call, p);
            enter();
            parseArgs(c->args, Tok::RParen);
            leave();
            int d = head->depth;
            for (auto& a : c->args)
                d = std::max(d, a->depth);
            c->depth = d + 1;
            c->a = std::move(head);
            head = std::move(c);
            if (lastParen)
                *lastParen = parenAt;
        } else {
            break;
        }
        if (head->depth > kMaxExpressionDepth)
            fail(err::Syntax);
    }
    return head;
}

void Parser::parseArgs(std::vector<ExprPtr>& args, Tok close)
{
    // Inside parentheses: "()" is no argument; "(, x)" leaves the first one out.
    if (close == Tok::RParen && accept(Tok::RParen))
        return;
    for (;;) {
        if (at(Tok::Comma) || (close == Tok::RParen && at(Tok::RParen))
            || (close != Tok::RParen && atStatementEnd())) {
            args.push_back(std::make_unique<Expr>(ExprKind::Missing, pos()));
        } else {
            args.push_back(parseExpression());
        }
        if (accept(Tok::Comma))
            continue;
        if (close == Tok::RParen)
            expect(Tok::RParen, err::ExpectedRParen);
        return;
    }
}

ExprPtr Parser::parsePrimary()
{
    const Token& t = tok();
    Pos p = pos();
    switch (t.kind) {
    case Tok::Number:
    case Tok::String:
    case Tok::Date: {
        auto e = std::make_unique<Expr>(ExprKind::Literal, p);
        e->value = t.value;
        e->isLiteral = true;
        ++m_pos;
        return e;
    }
    case Tok::True:
    case Tok::False:
    case Tok::Empty:
    case Tok::Null: {
        auto e = std::make_unique<Expr>(ExprKind::Literal, p);
        e->value = t.kind == Tok::True ? Variant::fromBool(true)
            : t.kind == Tok::False     ? Variant::fromBool(false)
            : t.kind == Tok::Null      ? Variant::null()
                                       : Variant();
        e->isLiteral = true;
        ++m_pos;
        return e;
    }
    case Tok::Nothing:
        ++m_pos;
        return std::make_unique<Expr>(ExprKind::Nothing, p);
    case Tok::LParen: {
        ++m_pos;
        ExprPtr e = parseExpression();
        expect(Tok::RParen, err::ExpectedRParen);
        e->parenthesized = true;
        return e;
    }
    case Tok::Identifier: {
        auto e = std::make_unique<Expr>(ExprKind::Name, p);
        e->name = std::u16string(t.text);
        ++m_pos;
        return e;
    }
    case Tok::Dot: {
        ++m_pos;
        auto e = std::make_unique<Expr>(ExprKind::WithMember, p);
        e->name = memberName();
        return e;
    }
    case Tok::New: {
        ++m_pos;
        auto e = std::make_unique<Expr>(ExprKind::New, p);
        if (!at(Tok::Identifier))
            fail(err::ExpectedIdentifier);
        e->name = std::u16string(tok().text);
        ++m_pos;
        return e;
    }
    case Tok::Me:
        if (!m_inClass || m_context != Context::Procedure)
            fail(err::InvalidMe);
        ++m_pos;
        return std::make_unique<Expr>(ExprKind::Me, p);
    default:
        fail(err::ExpectedExpression);
    }
}

}  // namespace qp::vbs
