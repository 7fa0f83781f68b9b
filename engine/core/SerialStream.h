// The typed save stream: SerialStream (the archive interface every saved class writes through) and
// BinarySerialStream, its tagged little-endian binary file form.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "platform/FileOps.h"

// Every class that holds game state saves its members through these writes and loads them back through the reads
// in the same order. Each write names the member it saves; the binary form drops the name. Array counts below 0
// count as 0; capacities are in characters (8-bit or 16-bit) and include the terminator.
//
// Reads return true when the item was read. Once a read fails (a tag of the wrong width, the end of the file, a
// stream that never opened) the stream stays failed and this read and every later one yields zero or the empty
// text. Writes that fail set the same flag, so the caller can tell a save was not written whole.
class SerialStream
{
public:
    explicit SerialStream(bool writing) : m_bWriting(writing) {}
    SerialStream(const SerialStream&) = delete;
    SerialStream& operator=(const SerialStream&) = delete;

    virtual ~SerialStream();
    // Called first by every class's save operation (the begin-object mark).
    virtual void BeginSave() = 0;
    virtual void WriteUShort(const char* name, uint16_t value) = 0;
    virtual void WriteUInt(const char* name, uint32_t value) = 0;
    virtual void WriteUIntArray(const char* name, const uint32_t* values, int32_t count) = 0;
    virtual void WriteByteArray(const char* name, const uint8_t* values, int32_t count) = 0;
    virtual void WriteByte(const char* name, uint8_t value) = 0;
    virtual void WriteWideString(const char* name, const char16_t* text) = 0;
    virtual void WriteIntArray(const char* name, const int32_t* values, int32_t count) = 0;
    virtual void WriteInt(const char* name, int32_t value) = 0;
    virtual void WriteShort(const char* name, int16_t value) = 0;
    virtual void WriteFloat(const char* name, float value) = 0;
    virtual void WriteBool(const char* name, bool value) = 0;
    virtual void WriteString(const char* name, const char* text) = 0;
    // A banner line: the stream's own name, or a class banner "Class name : <name>".
    virtual void WriteHeader(const char* text) = 0;
    // Called first by every class's load operation.
    virtual void BeginLoad() = 0;
    // A null buffer skips the banner.
    virtual bool ReadHeader(char* buffer, uint32_t capacity) = 0;
    virtual bool ReadUShort(uint16_t* value) = 0;
    virtual bool ReadUInt(uint32_t* value) = 0;
    virtual bool ReadUIntArray(uint32_t* values, int32_t count) = 0;
    virtual bool ReadByteArray(uint8_t* values, int32_t count) = 0;
    virtual bool ReadByte(uint8_t* value) = 0;
    virtual bool ReadWideString(char16_t* buffer, uint32_t capacity) = 0;
    // The whole wide text, however long, up to `limit` units: a longer one is a damaged record and fails the
    // stream. A null text skips the item.
    virtual bool ReadWideText(std::u16string* text, uint32_t limit) = 0;
    virtual bool ReadIntArray(int32_t* values, int32_t count) = 0;
    virtual bool ReadShort(int16_t* value) = 0;
    virtual bool ReadInt(int32_t* value) = 0;
    virtual bool ReadString(char* buffer, uint32_t capacity) = 0;
    virtual bool ReadFloat(float* value) = 0;
    virtual bool ReadBool(bool* value) = 0;

    // The class record's opening pair: the banner "Class name : <className>" and the signed "sizeof" item.
    void WriteClassHeader(const char* className, int32_t size);
    // Reads that pair back: the banner into the buffer (skipped when null) and the size (ignored when null).
    bool ReadClassHeader(char* buffer = nullptr, uint32_t capacity = 0, int32_t* size = nullptr);

    // Arrays by element type. Float arrays travel as arrays of unsigned 32-bit words holding the floats' bits.
    void WriteArray(const char* name, const int32_t* values, int32_t count) { WriteIntArray(name, values, count); }
    void WriteArray(const char* name, const uint32_t* values, int32_t count) { WriteUIntArray(name, values, count); }
    void WriteArray(const char* name, const uint8_t* values, int32_t count) { WriteByteArray(name, values, count); }
    void WriteArray(const char* name, const float* values, int32_t count);
    bool ReadArray(int32_t* values, int32_t count) { return ReadIntArray(values, count); }
    bool ReadArray(uint32_t* values, int32_t count) { return ReadUIntArray(values, count); }
    bool ReadArray(uint8_t* values, int32_t count) { return ReadByteArray(values, count); }
    bool ReadArray(float* values, int32_t count);

    bool IsWriting() const { return m_bWriting; }
    bool IsOpen() const { return m_bOpen; }
    bool IsFailed() const { return m_bFailed; }
    bool Good() const { return !m_bFailed; }

protected:
    bool m_bWriting;
    bool m_bOpen = false;
    bool m_bFailed = false;
};

// The binary save file: a sequence of items, each a one-byte tag and its little-endian payload, with no padding.
// The file opens with a header item holding "Binary Serial Stream".
//
// Reading checks each tag against the read: tags whose payloads have the same shape stand in for each other
// (header and string; bool and byte; the signed, unsigned and float 4-byte values; the two 16-bit values; the
// signed and unsigned word arrays), any other tag fails the stream. Texts longer than the reader's capacity are
// cut to fit and the rest of the item is skipped. An array whose stored count differs from the reader's count
// fills the smaller number of elements, zeroes the rest of the reader's array and skips the stored elements it
// has no room for, so the stream stays in step.
class BinarySerialStream : public SerialStream
{
public:
    enum Tag : uint8_t
    {
        kTagHeader = 0,
        kTagString = 1,
        kTagBool = 2,
        kTagFloat = 3,
        kTagShort = 4,
        kTagInt = 5,
        kTagIntArray = 6,
        kTagWideString = 7,
        kTagByte = 8,
        kTagByteArray = 9,
        kTagUIntArray = 10,
        kTagUInt = 11,
        kTagUShort = 12,
    };

    static constexpr const char* kStreamName = "Binary Serial Stream";
    static constexpr uint32_t kBannerSize = 128;

    // Opens the file to write (and writes the stream banner) or "rb" to read (and reads the banner, which is kept
    // for GetBanner but not compared). A file that cannot be opened leaves the stream closed and failed. A written
    // stream goes to a temporary file that replaces the named one at Close only when nothing failed, so a failed
    // save never destroys the file it was to replace.
    BinarySerialStream(bool writing, const char* fileName);
    ~BinarySerialStream() override;

    void BeginSave() override {}
    void WriteUShort(const char* name, uint16_t value) override;
    void WriteUInt(const char* name, uint32_t value) override;
    void WriteUIntArray(const char* name, const uint32_t* values, int32_t count) override;
    void WriteByteArray(const char* name, const uint8_t* values, int32_t count) override;
    void WriteByte(const char* name, uint8_t value) override;
    void WriteWideString(const char* name, const char16_t* text) override;
    void WriteIntArray(const char* name, const int32_t* values, int32_t count) override;
    void WriteInt(const char* name, int32_t value) override;
    void WriteShort(const char* name, int16_t value) override;
    void WriteFloat(const char* name, float value) override;
    void WriteBool(const char* name, bool value) override;
    void WriteString(const char* name, const char* text) override;
    void WriteHeader(const char* text) override;
    void BeginLoad() override {}
    bool ReadHeader(char* buffer, uint32_t capacity) override;
    bool ReadUShort(uint16_t* value) override;
    bool ReadUInt(uint32_t* value) override;
    bool ReadUIntArray(uint32_t* values, int32_t count) override;
    bool ReadByteArray(uint8_t* values, int32_t count) override;
    bool ReadByte(uint8_t* value) override;
    bool ReadWideString(char16_t* buffer, uint32_t capacity) override;
    bool ReadWideText(std::u16string* text, uint32_t limit) override;
    bool ReadIntArray(int32_t* values, int32_t count) override;
    bool ReadShort(int16_t* value) override;
    bool ReadInt(int32_t* value) override;
    bool ReadString(char* buffer, uint32_t capacity) override;
    bool ReadFloat(float* value) override;
    bool ReadBool(bool* value) override;

    // Flushes and closes the file; false when any write (or the final flush) failed. A saver checks this before
    // it lets the new file stand in for an older save. Called by the destructor when the caller has not.
    bool Close();

    // The banner read when the stream was opened for reading (empty otherwise).
    const char* GetBanner() const { return m_szBanner; }

private:
    // Payload shapes: tags of one shape are read interchangeably.
    enum class Shape
    {
        Text,
        Byte,
        Half,
        Word,
        WordArray,
        ByteArray,
        WideText,
        Unknown,
    };
    static Shape ShapeOf(uint8_t tag);

    void Put(const void* bytes, size_t size);
    void PutItem(uint8_t tag, const void* payload, size_t size);
    void PutCounted(uint8_t tag, uint32_t count);
    template <typename T> void PutWordArray(uint8_t tag, const T* values, int32_t count);

    void Fail() { m_bFailed = true; }
    bool Get(void* bytes, size_t size);
    bool Discard(uint64_t size);
    // Reads the next tag and checks its shape; false (and the stream failed) on a mismatch.
    bool Expect(Shape shape);
    bool GetU32(uint32_t* value);
    bool ReadValue(Shape shape, void* out, size_t width);
    bool ReadText(char* buffer, uint32_t capacity);
    template <typename T> bool ReadWordArray(T* values, int32_t count);

    FILE* m_pFile = nullptr;
    platform::ReplacingFile m_output;
    char m_szBanner[kBannerSize] = {};
};
