#pragma once
// TzelNodeString: the compact byte string behind a node's Name and Text (16 bytes).
// It either borrows bytes that live elsewhere (the reader points names and texts straight
// into the document's SourceText instead of copying them) or owns a heap copy.
// Borrowed bytes must outlive the string: the engine makes a node's strings owned before
// the node can leave its document (see TzelXMLNode2::TakenOutOfList).
#include <cstddef>
#include <cstring>
#include <string_view>

class TzelNodeString {
public:
    TzelNodeString() = default;
    TzelNodeString(const TzelNodeString &) = delete;
    TzelNodeString &operator=(const TzelNodeString &) = delete;
    ~TzelNodeString() { Free(); }

    std::string_view View() const { return {data_, size_ & SizeMask}; }
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
        char *copy = new char[bytes.size()];
        std::memcpy(copy, bytes.data(), bytes.size());
        Free();
        data_ = copy;
        size_ = bytes.size() | OwnedFlag;
    }
    // Refers to the bytes without copying them.
    void Borrow(std::string_view bytes)
    {
        Free();
        data_ = bytes.empty() ? "" : bytes.data();
        size_ = bytes.size();
    }
    // Turns borrowed bytes into an owned copy.
    void MakeOwned()
    {
        if (Borrowed())
            Assign(View());
    }

private:
    static constexpr size_t OwnedFlag = size_t(1) << (sizeof(size_t) * 8 - 1);
    static constexpr size_t SizeMask = ~OwnedFlag;

    void Free()
    {
        if (size_ & OwnedFlag)
            delete[] data_;
        data_ = "";
        size_ = 0;
    }

    const char *data_ = "";
    size_t size_ = 0;
};
