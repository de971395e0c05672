#pragma once
// The Err object: the last run-time error, Raise and Clear.

#include "Object.h"

namespace qp::vbs {

class ErrObject final : public Object {
public:
    DispId dispId(std::u16string_view name) override;
    Result<Variant> invoke(DispId id, InvokeKind kind, Args& args) override;
    std::u16string typeName() const override { return u"ErrObject"; }

    void set(const ErrorInfo& info);
    void clear();
    const ErrorInfo& info() const { return m_info; }

private:
    Result<Variant> raise(Args& args);
    ErrorInfo m_info;
    std::u16string m_helpFile;
    int32_t m_helpContext = 0;
};

// The error Err.Raise makes of its arguments: a known number without a description takes
// VBScript's text; the source defaults to the runtime source.
ErrorInfo errorFromRaise(int32_t number, std::u16string source, std::u16string description,
                         bool haveSource, bool haveDescription);

}  // namespace qp::vbs
