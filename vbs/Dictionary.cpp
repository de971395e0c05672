// Scripting.Dictionary: keys in insertion order, binary or text comparison of string keys.
#include "Convert.h"
#include "Errors.h"
#include "ScriptObjects.h"
#include "Text.h"

#include <cmath>

namespace qp::vbs {

// ---- shared by the engine's objects

DispId BuiltinObject::dispId(std::u16string_view name)
{
    const auto& names = members();
    for (size_t i = 0; i < names.size(); ++i)
        if (equalsNoCase(names[i], name))
            return DispId(i + 1);
    return kDispIdUnknown;
}

Result<Variant> BuiltinObject::invoke(DispId id, InvokeKind kind, Args& args)
{
    try {
        return call(id, kind, args);
    } catch (const ScriptException& e) {
        return e.info;
    }
}

void requireArgs(const Args& args, size_t min, size_t max)
{
    if (args.size() < min || args.size() > max)
        raise(err::WrongArgs);
}

bool hasArg(const Args& args, size_t i)
{
    return i < args.size() && args[i].type() != VarType::Error;
}

void requirePut(InvokeKind kind, bool put)
{
    bool isPut = kind == InvokeKind::PropertyPut || kind == InvokeKind::PropertyPutRef;
    if (isPut != put)
        raise(err::WrongArgs);
}

namespace {

// A key as the dictionary compares it: numbers by value (1, 1.0 and True-as-number stay
// apart from "1"), strings by their text (folded in text mode), objects by identity.
struct Key {
    uint8_t kind = 0;  // 0 Empty, 1 Null, 2 number, 3 string, 4 object, 5 Boolean
    double number = 0;
    std::u16string text;
    const void* object = nullptr;
    size_t hash = 0;  // computed once (seal())
    void seal()
    {
        size_t h = std::hash<std::u16string>{}(text);
        h ^= std::hash<double>{}(number) + 0x9e3779b97f4a7c15ull + (h << 6) + (h >> 2);
        h ^= std::hash<const void*>{}(object) + kind;
        hash = h;
    }
    bool operator==(const Key& o) const
    {
        return hash == o.hash && kind == o.kind && number == o.number && object == o.object && text == o.text;
    }
};


enum Member : DispId { Item = 1, Add, Exists, Remove, RemoveAll, Keys, Items, Count, KeyMember, CompareMode };

class Dictionary final : public BuiltinObject, public Enumerable, public Collectable {
public:
    std::u16string typeName() const override { return u"Dictionary"; }
    void traceValues(ValueVisitor& visitor) override
    {
        for (const Entry& e : m_entries) {
            visitor.visit(e.key);
            visitor.visit(e.item);
        }
    }
    // The entries stay (keys compare by the object's address, not a reference); their
    // values go.
    void clearValues() noexcept override
    {
        for (Entry& e : m_entries) {
            e.key.clear();
            e.item.clear();
        }
    }
    RefCounted& counted() noexcept override { return *this; }
    std::vector<Variant> snapshot() const override
    {
        std::vector<Variant> out;
        out.reserve(m_count);
        for (const Entry& e : m_entries)
            if (e.live)
                out.push_back(e.key);
        return out;
    }

protected:
    const std::vector<std::u16string_view>& members() const override
    {
        static const std::vector<std::u16string_view> names = {u"Item", u"Add", u"Exists", u"Remove", u"RemoveAll",
                                                               u"Keys", u"Items", u"Count", u"Key", u"CompareMode"};
        return names;
    }

    Variant call(DispId id, InvokeKind kind, Args& args) override
    {
        bool put = kind == InvokeKind::PropertyPut || kind == InvokeKind::PropertyPutRef;
        switch (id == kDispIdValue ? Item : id) {
        case Item:
            if (put) {
                requireArgs(args, 2, 2);
                slotFor(args[0]) = args[1];
                return Variant();
            }
            requireArgs(args, 1, 1);
            return slotFor(args[0]);  // reading a missing key adds it, Empty
        case Add: {
            requirePut(kind, false);
            requireArgs(args, 2, 2);
            Key k = keyOf(args[0]);
            if (find(k))
                raise(err::KeyExists);
            insert(std::move(k), args[0], args[1]);
            return Variant();
        }
        case Exists:
            requirePut(kind, false);
            requireArgs(args, 1, 1);
            return Variant::fromBool(find(keyOf(args[0])) != nullptr);
        case Remove: {
            requirePut(kind, false);
            requireArgs(args, 1, 1);
            erase(keyOf(args[0]));
            return Variant();
        }
        case RemoveAll:
            requirePut(kind, false);
            requireArgs(args, 0, 0);
            m_entries.clear();
            m_slots.clear();
            m_count = m_removedSlots = 0;
            return Variant();
        case Keys:
        case Items: {
            requirePut(kind, false);
            requireArgs(args, 0, 0);
            std::vector<Variant> out;
            out.reserve(m_count);
            for (const Entry& e : m_entries)
                if (e.live)
                    out.push_back(id == Keys ? e.key : e.item);
            return makeArray(std::move(out));
        }
        case Count:
            requirePut(kind, false);
            requireArgs(args, 0, 0);
            return Variant::fromLong(int32_t(m_count));
        case KeyMember: {
            // d.Key(old) = new renames a key, keeping its place and item.
            requirePut(kind, true);
            requireArgs(args, 2, 2);
            int64_t slot = findSlot(keyOf(args[0]));
            if (slot < 0)
                raise(err::ElementNotFound);
            Key renamed = keyOf(args[1]);
            if (find(renamed))
                raise(err::KeyExists);
            size_t at = size_t(m_slots[size_t(slot)].entry);
            m_slots[size_t(slot)].entry = kRemoved;
            ++m_removedSlots;
            m_entries[at].key = args[1];
            m_entries[at].k = std::move(renamed);
            place(at);
            return Variant();
        }
        case CompareMode:
            if (put) {
                requireArgs(args, 1, 1);
                int32_t mode = toLng(args[0]);
                if (mode < 0 || m_count != 0)
                    raise(err::InvalidCall);
                m_textMode = mode == 1;
                return Variant();
            }
            requireArgs(args, 0, 0);
            return Variant::fromLong(m_textMode ? 1 : 0);
        default:
            raise(err::NoSuchMember);
        }
    }

private:
    struct Entry {
        Key k;
        Variant key, item;
        bool live = true;
    };
    static constexpr int32_t kEmpty = -1, kRemoved = -2;
    struct Slot {
        int32_t entry = kEmpty;  // an index into m_entries, kEmpty or kRemoved
        uint32_t hash = 0;       // the key's hash, low bits: most probes stop here
    };

    Key keyOf(const Variant& v) const
    {
        Key k;
        switch (v.type()) {
        case VarType::Empty: k.kind = 0; break;
        case VarType::Null: k.kind = 1; break;
        case VarType::String:
            k.kind = 3;
            k.text = v.string();
            if (m_textMode)
                for (char16_t& c : k.text)
                    c = foldCase(c);
            break;
        case VarType::Object: k.kind = 4; k.object = v.object(); break;
        case VarType::Array: raise(err::TypeMismatch);
        case VarType::Boolean: k.kind = 5; k.number = v.boolValue() ? -1 : 0; break;
        default: k.kind = 2; k.number = toDbl(v); break;
        }
        if (k.number == 0)
            k.number = 0;  // -0 and 0 are one key
        k.seal();
        return k;
    }

    // The slot of the table that holds the key's entry, or -1. The table is open addressing
    // over entry indexes, probed linearly.
    int64_t findSlot(const Key& k) const
    {
        if (m_slots.empty())
            return -1;
        size_t mask = m_slots.size() - 1;
        uint32_t h = uint32_t(k.hash);
        for (size_t i = k.hash & mask;; i = (i + 1) & mask) {
            const Slot& slot = m_slots[i];
            if (slot.entry == kEmpty)
                return -1;
            if (slot.entry >= 0 && slot.hash == h && m_entries[size_t(slot.entry)].k == k)
                return int64_t(i);
        }
    }

    Entry* find(const Key& k)
    {
        int64_t slot = findSlot(k);
        return slot < 0 ? nullptr : &m_entries[size_t(m_slots[size_t(slot)].entry)];
    }

    void place(size_t entry)
    {
        size_t mask = m_slots.size() - 1;
        size_t hash = m_entries[entry].k.hash;
        size_t i = hash & mask;
        while (m_slots[i].entry >= 0)
            i = (i + 1) & mask;
        if (m_slots[i].entry == kRemoved)
            --m_removedSlots;
        m_slots[i] = {int32_t(entry), uint32_t(hash)};
    }

    // Drops removed entries (keeping the order of the rest) and sizes the table for `live`.
    void rebuild(size_t live)
    {
        if (m_count != m_entries.size()) {
            std::vector<Entry> kept;
            kept.reserve(m_count);
            for (Entry& e : m_entries)
                if (e.live)
                    kept.push_back(std::move(e));
            m_entries = std::move(kept);
        }
        size_t capacity = 16;
        while (capacity < live * 2)
            capacity *= 2;
        m_slots.assign(capacity, Slot{});
        m_removedSlots = 0;
        for (size_t i = 0; i < m_entries.size(); ++i)
            place(i);
    }

    void insert(Key k, const Variant& key, const Variant& item)
    {
        if ((m_entries.size() + 1 + m_removedSlots) * 10 > m_slots.size() * 6)
            rebuild(m_count + 1);
        m_entries.push_back({std::move(k), key, item, true});
        ++m_count;
        place(m_entries.size() - 1);
    }

    void erase(const Key& k)
    {
        int64_t slot = findSlot(k);
        if (slot < 0)
            raise(err::ElementNotFound);
        Entry& e = m_entries[size_t(m_slots[size_t(slot)].entry)];
        e.live = false;
        e.key = Variant();
        e.item = Variant();
        e.k = Key();
        m_slots[size_t(slot)].entry = kRemoved;
        ++m_removedSlots;
        --m_count;
        if (m_entries.size() >= 64 && m_count * 2 < m_entries.size())
            rebuild(m_count);
    }

    Variant& slotFor(const Variant& key)
    {
        Key k = keyOf(key);
        if (Entry* e = find(k))
            return e->item;
        insert(std::move(k), key, Variant());
        return m_entries.back().item;
    }

    std::vector<Entry> m_entries;  // in insertion order; removed ones until the next rebuild
    std::vector<Slot> m_slots;
    size_t m_count = 0;
    size_t m_removedSlots = 0;
    bool m_textMode = false;
};

}  // namespace

ObjectRef newDictionary()
{
    return ObjectRef(new Dictionary);
}

}  // namespace qp::vbs
