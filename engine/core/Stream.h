// Byte streams: little-endian value reads over a whole file in memory (FileStream) or an open file (StdioStream).
#pragma once

#include <cstdint>
#include <cstdio>

// A read-only little-endian byte source. Every read advances the position by the bytes it consumed. A read that
// cannot be satisfied (past the end, no file) yields zero in the missing bytes' place and sets the failed flag,
// which stays set for the life of the stream so a reader can check once after a series of reads.
class Stream
{
public:
    Stream() = default;
    Stream(const Stream&) = delete;
    Stream& operator=(const Stream&) = delete;

    virtual ~Stream();
    // Position = offset bytes from the start. 0 when done, -1 when refused.
    virtual int32_t Seek(int32_t offset) = 0;
    // Position += n (n may be negative). FileStream returns n; StdioStream returns the seek's result (0 or -1).
    virtual int32_t Skip(int32_t n) = 0;
    virtual uint8_t ReadUInt8() = 0;
    virtual int8_t ReadInt8() = 0;
    virtual uint16_t ReadUInt16() = 0;
    virtual int16_t ReadInt16() = 0;
    virtual uint32_t ReadUInt32() = 0;
    virtual int32_t ReadInt32() = 0;
    virtual float ReadFloat() = 0;
    // Block reads: copy n bytes to the destination and return the count copied. Bytes the source lacks are
    // zeroed in the destination, so all n bytes are always defined. A read of 0 bytes needs no destination.
    virtual uint32_t Read(void* dst, uint32_t n) = 0;
    virtual uint32_t Read(char* dst, uint32_t n) = 0;
    virtual uint32_t Read(uint8_t* dst, uint32_t n) = 0;

    // False when the stream's file could not be opened (or a FileStream has no data).
    bool IsOpen() const { return m_bOpen; }
    // True once any read or seek was refused, or when the stream never opened.
    bool IsFailed() const { return m_bFailed; }
    bool Good() const { return !m_bFailed; }

protected:
    bool m_bOpen = false;
    bool m_bFailed = false;
};

// A stream over bytes in memory: a whole file loaded through the file services, or a caller's buffer.
class FileStream : public Stream
{
public:
    // Loads the whole file (plain) through the file services and owns the copy. A missing or empty file gives a
    // stream that is not open and whose reads fail.
    explicit FileStream(const char* fileName);
    // Reads the caller's buffer in place; the buffer is not freed and must outlive the stream.
    FileStream(const void* data, uint32_t size);
    ~FileStream() override;

    // Seeks outside 0..size are clamped to the nearest end and set the failed flag.
    int32_t Seek(int32_t offset) override;
    int32_t Skip(int32_t n) override;
    uint8_t ReadUInt8() override;
    int8_t ReadInt8() override;
    uint16_t ReadUInt16() override;
    int16_t ReadInt16() override;
    uint32_t ReadUInt32() override;
    int32_t ReadInt32() override;
    float ReadFloat() override;
    uint32_t Read(void* dst, uint32_t n) override;
    uint32_t Read(char* dst, uint32_t n) override;
    uint32_t Read(uint8_t* dst, uint32_t n) override;

    const uint8_t* GetData() const { return m_pData; }
    uint32_t GetSize() const { return m_uSize; }
    // Offset of the next byte from the start.
    uint32_t Tell() const { return static_cast<uint32_t>(m_pPos - m_pData); }
    uint32_t Remaining() const { return m_uSize - Tell(); }

private:
    // Takes `width` bytes when that many remain; otherwise refuses the whole value (the position moves to the
    // end, the flag is set) and returns false.
    bool Take(uint8_t* out, uint32_t width);
    void MoveTo(int64_t offset);

    const uint8_t* m_pData = nullptr;
    const uint8_t* m_pPos = nullptr;
    uint32_t m_uSize = 0;
    char* m_pOwned = nullptr;
};

// A stream over a file kept open for binary reading. A value read past the end reads as 0 in its missing bytes'
// place (the bytes that exist are kept).
class StdioStream : public Stream
{
public:
    explicit StdioStream(const char* fileName);
    ~StdioStream() override;

    int32_t Seek(int32_t offset) override;
    int32_t Skip(int32_t n) override;
    uint8_t ReadUInt8() override;
    int8_t ReadInt8() override;
    uint16_t ReadUInt16() override;
    int16_t ReadInt16() override;
    uint32_t ReadUInt32() override;
    int32_t ReadInt32() override;
    float ReadFloat() override;
    uint32_t Read(void* dst, uint32_t n) override;
    uint32_t Read(char* dst, uint32_t n) override;
    uint32_t Read(uint8_t* dst, uint32_t n) override;

private:
    // Reads `width` bytes into a zeroed value; false (and the flag set) when fewer were read.
    bool Fill(uint8_t* out, uint32_t width);

    FILE* m_pFile = nullptr;
};
