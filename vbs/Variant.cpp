#include "Variant.h"

#include "Object.h"

namespace qp::vbs {

namespace {
const std::u16string kEmptyText;
}

Variant Variant::fromString(std::u16string text)
{
    Variant v;
    v.m_type = VarType::String;
    v.m_u.p = nullptr;
    if (!text.empty()) {
        auto* data = new StringData(std::move(text));
        data->addRef();
        v.m_u.p = data;
    }
    return v;
}

Variant Variant::fromString(Ref<StringData> text) noexcept
{
    Variant v;
    v.m_type = VarType::String;
    v.m_u.p = text.detach();
    return v;
}

Variant Variant::fromObject(Ref<Object> object) noexcept
{
    Variant v;
    v.m_type = VarType::Object;
    v.m_u.p = object.detach();
    return v;
}

Variant Variant::fromArray(Ref<Array> array) noexcept
{
    Variant v;
    v.m_type = VarType::Array;
    v.m_u.p = array.detach();
    return v;
}

bool Variant::isNumber() const noexcept
{
    switch (m_type) {
    case VarType::Byte:
    case VarType::Integer:
    case VarType::Long:
    case VarType::Single:
    case VarType::Double:
    case VarType::Currency:
        return true;
    default:
        return false;
    }
}

const std::u16string& Variant::string() const noexcept
{
    return m_u.p ? static_cast<const StringData*>(m_u.p)->text() : kEmptyText;
}

Object* Variant::object() const noexcept
{
    return static_cast<Object*>(m_u.p);
}

Ref<Object> Variant::objectRef() const noexcept
{
    return Ref<Object>(object());
}

Array* Variant::array() const noexcept
{
    return static_cast<Array*>(m_u.p);
}

Array::Array(std::vector<size_t> counts) : m_counts(std::move(counts))
{
    size_t total = 1;
    for (size_t c : m_counts)
        total *= c;
    if (m_counts.empty())
        total = 0;
    m_charge.require(total * sizeof(Variant));
    m_elements.resize(total);
}

Array::~Array()
{
    // Arrays nested in arrays are released one level at a time through a list, so that a
    // chain a = Array(a) of any length cannot exhaust the stack on its way out.
    static thread_local std::vector<Ref<Array>>* pending = nullptr;
    std::vector<Ref<Array>> local;
    bool outermost = pending == nullptr;
    if (outermost)
        pending = &local;
    for (Variant& e : m_elements) {
        if (e.isArray() && e.array()->unique()) {
            pending->push_back(Ref<Array>(e.array()));
            e = Variant();
        }
    }
    m_elements.clear();
    if (outermost) {
        while (!local.empty()) {
            Ref<Array> next = std::move(local.back());
            local.pop_back();
        }
        pending = nullptr;
    }
}

void Array::traceValues(ValueVisitor& visitor)
{
    for (const Variant& e : m_elements)
        visitor.visit(e);
}

void Array::clearValues() noexcept
{
    for (Variant& e : m_elements)
        e.clear();
}

void Array::resize(std::vector<size_t> counts, bool preserve)
{
    size_t total = 1;
    for (size_t c : counts)
        total *= c;
    if (counts.empty())
        total = 0;
    bool sameLeading = preserve && counts.size() == m_counts.size()
        && std::equal(counts.begin(), counts.end() - 1, m_counts.begin());
    m_charge.require(total * sizeof(Variant));
    if (sameLeading) {
        m_elements.resize(total);
    } else {
        std::vector<Variant> fresh(total);
        m_elements.swap(fresh);
    }
    m_counts = std::move(counts);
}

Variant makeArray(std::vector<Variant> values)
{
    auto array = makeRef<Array>(std::vector<size_t>{values.size()});
    array->elements() = std::move(values);
    return Variant::fromArray(std::move(array));
}

}  // namespace qp::vbs
