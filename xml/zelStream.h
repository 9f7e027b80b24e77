#pragma once
// Byte streams: the abstract TStream and the in-memory TMemoryStream.
// Other streams (a dataset's blob stream, for one) derive from TStream and supply
// Read, Write, Seek and SetSize; the rest is built on those four.
#include <cstdint>
#include <string>

enum class TSeekOrigin { soBeginning, soCurrent, soEnd };

class TStream {
public:
    virtual ~TStream() = default;

    // Copy up to count bytes; return how many were actually transferred.
    virtual int64_t Read(void *buffer, int64_t count) = 0;
    virtual int64_t Write(const void *buffer, int64_t count) = 0;
    // Move the position and return the new one.
    virtual int64_t Seek(int64_t offset, TSeekOrigin origin) = 0;
    virtual void SetSize(int64_t newSize) = 0;

    virtual int64_t Size();
    int64_t Position() { return Seek(0, TSeekOrigin::soCurrent); }
    void SetPosition(int64_t position) { Seek(position, TSeekOrigin::soBeginning); }

    // Exactly count bytes or EReadError / EWriteError.
    void ReadBuffer(void *buffer, int64_t count);
    void WriteBuffer(const void *buffer, int64_t count);
    // Copies count bytes from source's position (count 0: the whole source from its
    // beginning); returns the number copied.
    int64_t CopyFrom(TStream &source, int64_t count);
};

class TMemoryStream : public TStream {
public:
    int64_t Read(void *buffer, int64_t count) override;
    int64_t Write(const void *buffer, int64_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    void SetSize(int64_t newSize) override;
    int64_t Size() override { return static_cast<int64_t>(data_.size()); }

    void Clear();
    const char *Memory() const { return data_.data(); }
    const std::string &Data() const { return data_; }

private:
    std::string data_;
    int64_t position_ = 0;
};
