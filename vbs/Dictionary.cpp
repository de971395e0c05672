// Scripting.Dictionary: keys in insertion order, binary or text comparison of string keys.
#include "Convert.h"
#include "Errors.h"
#include "ScriptObjects.h"
#include "Text.h"

#include <cmath>
#include <unordered_map>

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
    bool operator==(const Key& o) const
    {
        return kind == o.kind && number == o.number && text == o.text && object == o.object;
    }
};

struct KeyHash {
    size_t operator()(const Key& k) const noexcept
    {
        size_t h = std::hash<std::u16string>{}(k.text);
        h ^= std::hash<double>{}(k.number) + 0x9e3779b97f4a7c15ull + (h << 6) + (h >> 2);
        h ^= std::hash<const void*>{}(k.object) + k.kind;
        return h;
    }
};

enum Member : DispId { Item = 1, Add, Exists, Remove, RemoveAll, Keys, Items, Count, KeyMember, CompareMode };

class Dictionary final : public BuiltinObject, public Enumerable {
public:
    std::u16string typeName() const override { return u"Dictionary"; }
    std::vector<Variant> snapshot() const override
    {
        std::vector<Variant> out;
        out.reserve(m_index.size());
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
            if (m_index.count(k))
                raise(err::KeyExists);
            insert(std::move(k), args[0], args[1]);
            return Variant();
        }
        case Exists:
            requirePut(kind, false);
            requireArgs(args, 1, 1);
            return Variant::fromBool(m_index.count(keyOf(args[0])) != 0);
        case Remove: {
            requirePut(kind, false);
            requireArgs(args, 1, 1);
            auto it = m_index.find(keyOf(args[0]));
            if (it == m_index.end())
                raise(err::ElementNotFound);
            Entry& e = m_entries[it->second];
            e.live = false;
            e.key = Variant();
            e.item = Variant();
            m_index.erase(it);
            compact();
            return Variant();
        }
        case RemoveAll:
            requirePut(kind, false);
            requireArgs(args, 0, 0);
            m_index.clear();
            m_entries.clear();
            return Variant();
        case Keys:
        case Items: {
            requirePut(kind, false);
            requireArgs(args, 0, 0);
            std::vector<Variant> out;
            out.reserve(m_index.size());
            for (const Entry& e : m_entries)
                if (e.live)
                    out.push_back(id == Keys ? e.key : e.item);
            return makeArray(std::move(out));
        }
        case Count:
            requirePut(kind, false);
            requireArgs(args, 0, 0);
            return Variant::fromLong(int32_t(m_index.size()));
        case KeyMember: {
            // d.Key(old) = new renames a key, keeping its place and item.
            requirePut(kind, true);
            requireArgs(args, 2, 2);
            auto it = m_index.find(keyOf(args[0]));
            if (it == m_index.end())
                raise(err::ElementNotFound);
            Key renamed = keyOf(args[1]);
            if (m_index.count(renamed))
                raise(err::KeyExists);
            size_t at = it->second;
            m_index.erase(it);
            m_entries[at].key = args[1];
            m_index.emplace(std::move(renamed), at);
            return Variant();
        }
        case CompareMode:
            if (put) {
                requireArgs(args, 1, 1);
                int32_t mode = toLng(args[0]);
                if (mode < 0 || !m_index.empty())
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
        Variant key, item;
        bool live = true;
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
        return k;
    }

    Variant& slotFor(const Variant& key)
    {
        Key k = keyOf(key);
        auto it = m_index.find(k);
        if (it != m_index.end())
            return m_entries[it->second].item;
        insert(std::move(k), key, Variant());
        return m_entries.back().item;
    }

    void insert(Key k, const Variant& key, const Variant& item)
    {
        m_index.emplace(std::move(k), m_entries.size());
        m_entries.push_back({key, item, true});
    }

    // Drops removed entries once they are the majority, keeping the order of the rest.
    void compact()
    {
        if (m_entries.size() < 64 || m_index.size() * 2 > m_entries.size())
            return;
        std::vector<Entry> kept;
        kept.reserve(m_index.size());
        for (Entry& e : m_entries)
            if (e.live)
                kept.push_back(std::move(e));
        m_entries = std::move(kept);
        m_index.clear();
        for (size_t i = 0; i < m_entries.size(); ++i)
            m_index.emplace(keyOf(m_entries[i].key), i);
    }

    std::vector<Entry> m_entries;
    std::unordered_map<Key, size_t, KeyHash> m_index;
    bool m_textMode = false;
};

}  // namespace

ObjectRef newDictionary()
{
    return ObjectRef(new Dictionary);
}

}  // namespace qp::vbs
