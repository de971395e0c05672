#pragma once
// The script value: a Variant with VBScript's subtypes. Strings are UTF-16 (VBScript counts,
// cuts and compares in UTF-16 code units, and the console's cells are UTF-16). Strings,
// arrays and objects are reference-counted; arrays behave as values (assignment copies,
// done lazily on the first write to a shared array).

#include "Collector.h"
#include "MemoryLimit.h"
#include "Ref.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qp::vbs {

class Object;
class Array;

// Subtype codes as VarType() returns them. An array of Variants reports Array | Variant.
enum class VarType : uint16_t {
    Empty = 0,
    Null = 1,
    Integer = 2,   // 16-bit signed
    Long = 3,      // 32-bit signed
    Single = 4,
    Double = 5,
    Currency = 6,  // CCur: a 64-bit count of ten-thousandths
    Date = 7,      // days since 30 December 1899, fraction = time of day
    String = 8,
    Object = 9,    // a host object, or Nothing
    Error = 10,    // an argument left out (see Variant::fromError)
    Boolean = 11,  // True is -1
    Variant = 12,
    Byte = 17,
    Array = 0x2000,
};

// The text of a String variant, shared between copies.
// Its text counts against the running script's memory (see MemoryLimit.h).
class StringData final : public RefCounted {
public:
    explicit StringData(std::u16string text) : m_text(std::move(text)) { m_charge.require(bytes()); }
    const std::u16string& text() const noexcept { return m_text; }
    std::u16string& mutableText() noexcept { return m_text; }  // only while unique()
    // After the text changed in place: false when the script's memory cannot take it (the
    // caller puts the text back).
    bool recount() noexcept { return m_charge.set(bytes()); }

private:
    size_t bytes() const noexcept { return m_text.size() * sizeof(char16_t); }
    std::u16string m_text;
    MemoryCharge m_charge;
};

class Variant {
public:
    Variant() noexcept { m_u.p = nullptr; }  // Empty
    // A copy is never a fixed-size array variable, whatever the original was.
    Variant(const Variant& o) noexcept : m_type(o.m_type), m_flags(0), m_u(o.m_u) { retain(); }
    Variant(Variant&& o) noexcept : m_type(o.m_type), m_flags(o.m_flags), m_u(o.m_u) { o.m_type = VarType::Empty; }
    // Both assignments take the source's payload and store it before releasing their own
    // (releasing may run a Class_Terminate that reads this very variable), so assigning an
    // element of this variant's own array to it is safe.
    Variant& operator=(const Variant& o) noexcept
    {
        o.retain();
        Variant old;
        old.m_type = m_type;
        old.m_u = m_u;
        m_type = o.m_type;
        m_flags = 0;
        m_u = o.m_u;
        return *this;
    }
    Variant& operator=(Variant&& o) noexcept
    {
        if (this != &o) {
            Variant old;
            old.m_type = m_type;
            old.m_u = m_u;
            m_type = o.m_type;
            m_flags = o.m_flags;
            m_u = o.m_u;
            o.m_type = VarType::Empty;
        }
        return *this;
    }
    ~Variant() { dispose(); }
    // Makes this Empty.
    void clear() noexcept
    {
        VarType t = m_type;
        auto u = m_u;
        m_type = VarType::Empty;
        m_flags = 0;
        if ((t == VarType::String || t == VarType::Object || t == VarType::Array) && u.p)
            u.p->release();
    }
    void swap(Variant& o) noexcept
    {
        std::swap(m_type, o.m_type);
        std::swap(m_flags, o.m_flags);
        std::swap(m_u, o.m_u);
    }

    static Variant null() noexcept { Variant v; v.m_type = VarType::Null; return v; }
    static Variant fromBool(bool b) noexcept { Variant v; v.m_type = VarType::Boolean; v.m_u.b = b; return v; }
    static Variant fromByte(uint8_t n) noexcept { Variant v; v.m_type = VarType::Byte; v.m_u.by = n; return v; }
    static Variant fromInteger(int16_t n) noexcept { Variant v; v.m_type = VarType::Integer; v.m_u.i = n; return v; }
    static Variant fromLong(int32_t n) noexcept { Variant v; v.m_type = VarType::Long; v.m_u.l = n; return v; }
    static Variant fromSingle(float x) noexcept { Variant v; v.m_type = VarType::Single; v.m_u.f = x; return v; }
    static Variant fromDouble(double x) noexcept { Variant v; v.m_type = VarType::Double; v.m_u.d = x; return v; }
    // Currency: a count of ten-thousandths (12.5 is 125000).
    static Variant fromCurrency(int64_t units) noexcept { Variant v; v.m_type = VarType::Currency; v.m_u.cy = units; return v; }
    static Variant fromDate(double serial) noexcept { Variant v; v.m_type = VarType::Date; v.m_u.d = serial; return v; }
    // An Error-subtype value; 0x80020004 (DISP_E_PARAMNOTFOUND) marks an argument left out.
    static Variant fromError(int32_t code) noexcept { Variant v; v.m_type = VarType::Error; v.m_u.l = code; return v; }
    static Variant fromString(std::u16string text);
    static Variant fromString(std::u16string_view text) { return fromString(std::u16string(text)); }
    static Variant fromString(const char16_t* text) { return fromString(std::u16string(text)); }
    static Variant fromString(Ref<StringData> text) noexcept;
    // An object reference; an empty reference is Nothing.
    static Variant fromObject(Ref<Object> object) noexcept;
    static Variant nothing() noexcept { Variant v; v.m_type = VarType::Object; v.m_u.p = nullptr; return v; }
    static Variant fromArray(Ref<Array> array) noexcept;

    VarType type() const noexcept { return m_type; }
    bool isEmpty() const noexcept { return m_type == VarType::Empty; }
    bool isNull() const noexcept { return m_type == VarType::Null; }
    bool isString() const noexcept { return m_type == VarType::String; }
    bool isObject() const noexcept { return m_type == VarType::Object; }
    bool isNothing() const noexcept { return m_type == VarType::Object && !m_u.p; }
    bool isArray() const noexcept { return m_type == VarType::Array; }
    // Byte, Integer, Long, Single, Double or Currency (not Boolean, Date or Empty).
    bool isNumber() const noexcept;

    // Raw accessors: valid only for the matching type(). Conversions live in Coerce.h.
    bool boolValue() const noexcept { return m_u.b; }
    uint8_t byteValue() const noexcept { return m_u.by; }
    int16_t integerValue() const noexcept { return m_u.i; }
    int32_t longValue() const noexcept { return m_u.l; }
    float singleValue() const noexcept { return m_u.f; }
    double doubleValue() const noexcept { return m_u.d; }
    double dateValue() const noexcept { return m_u.d; }
    int64_t currencyValue() const noexcept { return m_u.cy; }
    int32_t errorValue() const noexcept { return m_u.l; }
    const std::u16string& string() const noexcept;           // String
    StringData* stringData() const noexcept { return static_cast<StringData*>(m_u.p); }
    Object* object() const noexcept;                         // Object; null for Nothing
    Ref<Object> objectRef() const noexcept;
    Array* array() const noexcept;                           // Array

    // A fixed-size array variable (Dim a(3)) refuses ReDim; copies of it do not.
    bool fixedArray() const noexcept { return m_flags & kFixed; }
    void setFixedArray(bool fixed) noexcept { m_flags = fixed ? (m_flags | kFixed) : (m_flags & ~kFixed); }

private:
    static constexpr uint8_t kFixed = 1;
    bool onHeap() const noexcept
    {
        return m_type == VarType::String || m_type == VarType::Object || m_type == VarType::Array;
    }
    void retain() const noexcept
    {
        if (onHeap() && m_u.p) m_u.p->addRef();
    }
    void dispose() noexcept
    {
        if (onHeap() && m_u.p) m_u.p->release();
    }

    VarType m_type = VarType::Empty;
    uint8_t m_flags = 0;
    union {
        bool b;
        uint8_t by;
        int16_t i;
        int32_t l;
        float f;
        double d;
        int64_t cy;
        RefCounted* p;  // StringData (null = ""), Object (null = Nothing), Array
    } m_u;
};

static_assert(sizeof(Variant) == 16, "a Variant is a tag and one word");

// A VBScript array: up to 60 dimensions, each with lower bound 0. Elements are stored with
// the first index varying fastest, so ReDim Preserve of the last dimension keeps positions.
class Array final : public RefCounted, public Collectable {
public:
    static constexpr size_t kMaxDimensions = 60;

    // Counts per dimension (upper bound + 1). The caller checks the total against its limit.
    explicit Array(std::vector<size_t> counts);
    ~Array() override;

    size_t dimensions() const noexcept { return m_counts.size(); }
    size_t count(size_t dim) const noexcept { return m_counts[dim]; }
    int32_t upperBound(size_t dim) const noexcept { return int32_t(m_counts[dim]) - 1; }
    const std::vector<size_t>& counts() const noexcept { return m_counts; }
    size_t size() const noexcept { return m_elements.size(); }
    std::vector<Variant>& elements() noexcept { return m_elements; }
    const std::vector<Variant>& elements() const noexcept { return m_elements; }

    // Changes the counts; elements whose position stays valid keep their values when only the
    // last dimension changed (ReDim Preserve), all others start Empty.
    void resize(std::vector<size_t> counts, bool preserve);

    // A locked array (iterated by For Each, or passed ByRef into a running procedure's
    // element) refuses ReDim and Erase with error 10.
    int lockCount() const noexcept { return m_locks; }
    void lock() noexcept { ++m_locks; }
    void unlock() noexcept { --m_locks; }

    void traceValues(ValueVisitor& visitor) override;
    void clearValues() noexcept override;
    RefCounted& counted() noexcept override { return *this; }

private:
    std::vector<size_t> m_counts;
    std::vector<Variant> m_elements;
    int m_locks = 0;
    MemoryCharge m_charge;  // the elements, against the running script's memory
};

// Convenience: a one-dimensional array holding the given values (Array(), Split()).
Variant makeArray(std::vector<Variant> values);

}  // namespace qp::vbs
