#include "Token.h"

#include "Text.h"

#include <array>

namespace qp::vbs {

namespace {

struct Keyword {
    std::u16string_view spelling;
    Tok kind;
};

constexpr std::array kKeywords = {
    Keyword{u"And", Tok::And}, Keyword{u"ByRef", Tok::ByRef}, Keyword{u"ByVal", Tok::ByVal},
    Keyword{u"Call", Tok::Call}, Keyword{u"Case", Tok::Case}, Keyword{u"Class", Tok::Class},
    Keyword{u"Const", Tok::Const}, Keyword{u"Dim", Tok::Dim}, Keyword{u"Do", Tok::Do},
    Keyword{u"Each", Tok::Each}, Keyword{u"Else", Tok::Else}, Keyword{u"ElseIf", Tok::ElseIf},
    Keyword{u"Empty", Tok::Empty}, Keyword{u"End", Tok::End}, Keyword{u"Eqv", Tok::Eqv},
    Keyword{u"Erase", Tok::Erase}, Keyword{u"Exit", Tok::Exit}, Keyword{u"False", Tok::False},
    Keyword{u"For", Tok::For}, Keyword{u"Function", Tok::Function}, Keyword{u"GoTo", Tok::GoTo},
    Keyword{u"If", Tok::If}, Keyword{u"Imp", Tok::Imp}, Keyword{u"In", Tok::In},
    Keyword{u"Is", Tok::Is}, Keyword{u"Loop", Tok::Loop}, Keyword{u"Me", Tok::Me},
    Keyword{u"Mod", Tok::Mod}, Keyword{u"New", Tok::New}, Keyword{u"Next", Tok::Next},
    Keyword{u"Not", Tok::Not}, Keyword{u"Nothing", Tok::Nothing}, Keyword{u"Null", Tok::Null},
    Keyword{u"On", Tok::On}, Keyword{u"Option", Tok::Option}, Keyword{u"Or", Tok::Or},
    Keyword{u"Private", Tok::Private}, Keyword{u"Public", Tok::Public},
    Keyword{u"ReDim", Tok::ReDim}, Keyword{u"Select", Tok::Select}, Keyword{u"Set", Tok::Set},
    Keyword{u"Stop", Tok::Stop}, Keyword{u"Sub", Tok::Sub}, Keyword{u"Then", Tok::Then},
    Keyword{u"To", Tok::To}, Keyword{u"True", Tok::True}, Keyword{u"Until", Tok::Until},
    Keyword{u"Wend", Tok::Wend}, Keyword{u"While", Tok::While}, Keyword{u"With", Tok::With},
    Keyword{u"Xor", Tok::Xor},
};
static_assert(kKeywords.size() == size_t(Tok::Xor) - size_t(Tok::And) + 1,
              "one table row per reserved word");

constexpr bool keywordsInTokenOrder()
{
    for (size_t i = 0; i < kKeywords.size(); ++i)
        if (size_t(kKeywords[i].kind) != size_t(Tok::And) + i)
            return false;
    return true;
}
static_assert(keywordsInTokenOrder(), "keyword table follows the Tok order");

struct Punct {
    Tok kind;
    std::u16string_view spelling;
};

constexpr std::array kPunctuation = {
    Punct{Tok::Eof, u"end of script"}, Punct{Tok::Newline, u"end of line"}, Punct{Tok::Colon, u":"},
    Punct{Tok::Identifier, u"identifier"}, Punct{Tok::Number, u"number"},
    Punct{Tok::String, u"string"}, Punct{Tok::Date, u"date"}, Punct{Tok::LParen, u"("},
    Punct{Tok::RParen, u")"}, Punct{Tok::Comma, u","}, Punct{Tok::Dot, u"."},
    Punct{Tok::Plus, u"+"}, Punct{Tok::Minus, u"-"}, Punct{Tok::Star, u"*"},
    Punct{Tok::Slash, u"/"}, Punct{Tok::Backslash, u"\\"}, Punct{Tok::Caret, u"^"},
    Punct{Tok::Amp, u"&"}, Punct{Tok::Eq, u"="}, Punct{Tok::Ne, u"<>"}, Punct{Tok::Lt, u"<"},
    Punct{Tok::Gt, u">"}, Punct{Tok::Le, u"<="}, Punct{Tok::Ge, u">="},
};
static_assert(kPunctuation.size() == size_t(Tok::And), "one row per non-keyword token");

}  // namespace

Tok keywordFor(std::u16string_view word) noexcept
{
    if (word.size() < 2 || word.size() > 8)
        return Tok::Identifier;
    for (const Keyword& k : kKeywords)
        if (equalsNoCase(k.spelling, word))
            return k.kind;
    return Tok::Identifier;
}

std::u16string_view tokenName(Tok kind) noexcept
{
    size_t i = size_t(kind);
    if (i < kPunctuation.size())
        return kPunctuation[i].spelling;
    return kKeywords[i - kPunctuation.size()].spelling;
}

}  // namespace qp::vbs
