// Fuzz target: the typed save stream. The input's tail chooses a sequence of item reads (type, and the capacity or
// count the reader asks for); the rest is the save file. Whatever was read is saved again with the matching
// writes and read back in the same sequence, which must give the same values.
#include "engine/core/SerialStream.h"
#include "fuzz/FuzzSupport.h"

#include <cstring>
#include <string>
#include <vector>

namespace
{

struct Item
{
    uint8_t kind = 0;
    uint32_t count = 0; // capacity of a text, elements of an array
    std::vector<uint8_t> bytes;
    std::u16string wide;
    std::string text;
    int32_t classSize = 0;
};

constexpr uint8_t kKinds = 15;

// Reads one item of the kind into item; false when the stream refuses it.
bool ReadItem(BinarySerialStream& in, Item& item)
{
    const uint32_t n = item.count;
    auto words = [&](auto* values) { return reinterpret_cast<uint8_t*>(values); };
    switch (item.kind)
    {
    case 0:
    case 1:
    {
        std::vector<char> buffer(n + 1, 0);
        bool ok = item.kind == 0 ? in.ReadHeader(buffer.data(), n) : in.ReadString(buffer.data(), n);
        item.text.assign(buffer.data(), strnlen(buffer.data(), n));
        return ok;
    }
    case 2:
    {
        bool v = false;
        bool ok = in.ReadBool(&v);
        item.bytes = {static_cast<uint8_t>(v)};
        return ok;
    }
    case 3:
    {
        float v = 0;
        bool ok = in.ReadFloat(&v);
        item.bytes.resize(4);
        std::memcpy(item.bytes.data(), &v, 4);
        return ok;
    }
    case 4:
    case 12:
    {
        uint16_t v = 0;
        bool ok = item.kind == 4 ? in.ReadShort(reinterpret_cast<int16_t*>(&v)) : in.ReadUShort(&v);
        item.bytes.resize(2);
        std::memcpy(item.bytes.data(), &v, 2);
        return ok;
    }
    case 5:
    case 11:
    {
        uint32_t v = 0;
        bool ok = item.kind == 5 ? in.ReadInt(reinterpret_cast<int32_t*>(&v)) : in.ReadUInt(&v);
        item.bytes.resize(4);
        std::memcpy(item.bytes.data(), &v, 4);
        return ok;
    }
    case 6:
    case 10:
    case 13:
    {
        std::vector<uint32_t> values(n + 1, 0xA5A5A5A5u);
        bool ok = item.kind == 6 ? in.ReadIntArray(reinterpret_cast<int32_t*>(values.data()), static_cast<int32_t>(n))
                  : item.kind == 10 ? in.ReadUIntArray(values.data(), static_cast<int32_t>(n))
                                    : in.ReadArray(reinterpret_cast<float*>(values.data()), static_cast<int32_t>(n));
        if (values[n] != 0xA5A5A5A5u)
            __builtin_trap(); // written past the count asked for
        item.bytes.assign(words(values.data()), words(values.data()) + 4 * n);
        return ok;
    }
    case 7:
    {
        std::vector<char16_t> buffer(n + 1, 0);
        bool ok = in.ReadWideString(buffer.data(), n);
        size_t length = 0;
        while (length < n && buffer[length] != 0)
            ++length;
        item.wide.assign(buffer.data(), length);
        return ok;
    }
    case 8:
    {
        uint8_t v = 0;
        bool ok = in.ReadByte(&v);
        item.bytes = {v};
        return ok;
    }
    case 9:
    {
        std::vector<uint8_t> values(n + 1, 0xA5);
        bool ok = in.ReadByteArray(values.data(), static_cast<int32_t>(n));
        if (values[n] != 0xA5)
            __builtin_trap();
        item.bytes.assign(values.begin(), values.begin() + n);
        return ok;
    }
    default:
    {
        std::vector<char> buffer(n + 1, 0);
        int32_t size = 0;
        bool ok = in.ReadClassHeader(buffer.data(), n, &size);
        item.text.assign(buffer.data(), strnlen(buffer.data(), n));
        item.classSize = size;
        return ok;
    }
    }
}

void WriteItem(BinarySerialStream& out, const Item& item)
{
    const auto n = static_cast<int32_t>(item.count);
    uint32_t word = 0;
    uint16_t half = 0;
    if (item.bytes.size() == 4)
        std::memcpy(&word, item.bytes.data(), 4);
    if (item.bytes.size() == 2)
        std::memcpy(&half, item.bytes.data(), 2);
    switch (item.kind)
    {
    case 0:
        out.WriteHeader(item.text.c_str());
        break;
    case 1:
        out.WriteString("s", item.text.c_str());
        break;
    case 2:
        out.WriteBool("b", item.bytes[0] != 0);
        break;
    case 3:
    {
        float v;
        std::memcpy(&v, &word, 4);
        out.WriteFloat("f", v);
        break;
    }
    case 4:
        out.WriteShort("h", static_cast<int16_t>(half));
        break;
    case 12:
        out.WriteUShort("u", half);
        break;
    case 5:
        out.WriteInt("i", static_cast<int32_t>(word));
        break;
    case 11:
        out.WriteUInt("u", word);
        break;
    case 6:
    case 10:
    case 13:
    {
        std::vector<uint32_t> values(item.count);
        if (item.count)
            std::memcpy(values.data(), item.bytes.data(), 4 * item.count);
        if (item.kind == 6)
            out.WriteIntArray("a", reinterpret_cast<const int32_t*>(values.data()), n);
        else if (item.kind == 10)
            out.WriteUIntArray("a", values.data(), n);
        else
            out.WriteArray("a", reinterpret_cast<const float*>(values.data()), n);
        break;
    }
    case 7:
        out.WriteWideString("w", item.wide.c_str());
        break;
    case 8:
        out.WriteByte("c", item.bytes[0]);
        break;
    case 9:
        out.WriteByteArray("a", item.bytes.data(), n);
        break;
    default:
        // A class header as read: its banner text (a written one gains the "Class name : " lead) and its size.
        out.WriteHeader(item.text.c_str());
        out.WriteInt("sizeof", item.classSize);
        break;
    }
}

bool SameItem(const Item& a, const Item& b)
{
    return a.bytes == b.bytes && a.text == b.text && a.wide == b.wide && a.classSize == b.classSize;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzzsupport::Init();
    // The last byte counts the reads, the bytes before it give one read each (kind, then a size byte).
    size_t reads = size > 0 ? data[size - 1] % 48 : 0;
    if (2 * reads + 1 > size)
        reads = size > 0 ? (size - 1) / 2 : 0;
    const size_t fileSize = size > 0 ? size - 1 - 2 * reads : 0;
    std::vector<Item> items(reads);
    for (size_t i = 0; i < reads; ++i)
    {
        const uint8_t* op = data + fileSize + 2 * i;
        items[i].kind = static_cast<uint8_t>(op[0] % kKinds);
        items[i].count = op[1];
    }
    fuzzsupport::WriteFile("in.sav", data, fileSize);

    std::vector<Item> first;
    {
        BinarySerialStream in(false, "in.sav");
        for (Item item : items)
        {
            if (!ReadItem(in, item) || in.IsFailed())
                break;
            first.push_back(std::move(item));
        }
    }
    {
        BinarySerialStream out(true, "out.sav");
        for (const Item& item : first)
            WriteItem(out, item);
        if (!out.Close())
            __builtin_trap();
    }
    BinarySerialStream again(false, "out.sav");
    for (const Item& item : first)
    {
        Item copy;
        copy.kind = item.kind;
        copy.count = item.count;
        if (!ReadItem(again, copy) || !SameItem(item, copy))
            __builtin_trap(); // a value saved does not read back as it was
    }
    return 0;
}
