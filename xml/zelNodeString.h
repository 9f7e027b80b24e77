#pragma once
// TzelNodeString: the compact byte string behind a node's Name and Text (12 bytes, 4-aligned,
// so a node packs two of them into 24 bytes). It either borrows bytes that live elsewhere
// (the reader points names and texts straight into the document's SourceText instead of
// copying them) or owns a heap copy. Borrowed bytes must outlive the string: the engine
// makes a node's strings owned before the node can leave its document (see
// TzelXMLNode2::TakenOutOfList). Lengths are 31-bit: a string of 2 GiB or more is refused
// with std::length_error.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string_view>

class TzelNodeString {
public:
    static constexpr size_t MaxSize = 0x7fffffff;

    TzelNodeString() { SetData(""); }
    TzelNodeString(const TzelNodeString &) = delete;
    TzelNodeString &operator=(const TzelNodeString &) = delete;
    ~TzelNodeString() { Free(); }

    std::string_view View() const { return {Data(), Size()}; }
    size_t Size() const { return size_ & SizeMask; }
    bool Empty() const { return Size() == 0; }
    bool Borrowed() const { return Size() != 0 && !(size_ & OwnedFlag); }

    // Keeps a copy of the bytes.
    void Assign(std::string_view bytes)
    {
        if (bytes.empty()) {
            Free();
            return;
        }
        CheckSize(bytes.size());
        char *copy = new char[bytes.size()];
        std::memcpy(copy, bytes.data(), bytes.size());
        Free();
        SetData(copy);
        size_ = static_cast<uint32_t>(bytes.size()) | OwnedFlag;
    }
    // Refers to the bytes without copying them.
    void Borrow(std::string_view bytes)
    {
        CheckSize(bytes.size());
        Free();
        SetData(bytes.empty() ? "" : bytes.data());
        size_ = static_cast<uint32_t>(bytes.size());
    }
    // Turns borrowed bytes into an owned copy.
    void MakeOwned()
    {
        if (Borrowed())
            Assign(View());
    }
    // Frees an owned copy and leaves the string empty.
    void Free()
    {
        if (size_ & OwnedFlag)
            delete[] Data();
        SetData("");
        size_ = 0;
    }

private:
    static constexpr uint32_t OwnedFlag = 0x80000000u;
    static constexpr uint32_t SizeMask = ~OwnedFlag;

    static void CheckSize(size_t size)
    {
        if (size > MaxSize)
            throw std::length_error("A name or text of 2 GiB or more cannot be kept");
    }
    // The pointer is kept as bytes so that the string needs only 4-byte alignment.
    const char *Data() const
    {
        const char *data;
        std::memcpy(&data, data_, sizeof data);
        return data;
    }
    void SetData(const char *data) { std::memcpy(data_, &data, sizeof data); }

    uint32_t size_ = 0; // bit 31: the bytes are an owned copy
    unsigned char data_[sizeof(const char *)];
};
