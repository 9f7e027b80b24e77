// The untyped storage of TzelXMLNodeList2: a growable array of pointers with the list's
// range checks and error messages.
#include "zelXMLNodeList2.h"

#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

TzelPointerList::~TzelPointerList() { ReleaseStorage(); }

void TzelPointerList::RaiseIndexError(int index)
{
    throw EListError("List index out of bounds (" + std::to_string(index) + ")");
}

void TzelPointerList::RaiseCountError(int count)
{
    throw EListError("List count out of bounds (" + std::to_string(count) + ")");
}

void TzelPointerList::ReleaseStorage()
{
    std::free(items_);
    items_ = nullptr;
    count_ = capacity_ = 0;
}

void TzelPointerList::Grow(uint32_t minimum)
{
    if (minimum > static_cast<uint32_t>(MaxListSize))
        RaiseCountError(static_cast<int>(minimum));
    // Small lists start at four entries, then double: appends stay amortised constant.
    uint32_t capacity = capacity_ < 4 ? 4 : capacity_ * 2;
    if (capacity < minimum)
        capacity = minimum;
    if (capacity > static_cast<uint32_t>(MaxListSize))
        capacity = MaxListSize;
    void *grown = std::realloc(items_, size_t(capacity) * sizeof(void *));
    if (!grown)
        throw std::bad_alloc();
    items_ = static_cast<void **>(grown);
    capacity_ = capacity;
}

void TzelPointerList::InsertPointer(int index, void *item)
{
    if (index < 0 || static_cast<uint32_t>(index) > count_)
        RaiseIndexError(index);
    if (count_ == capacity_)
        Grow(count_ + 1);
    std::memmove(items_ + index + 1, items_ + index, (count_ - index) * sizeof(void *));
    items_[index] = item;
    ++count_;
}

void *TzelPointerList::RemoveAt(int index)
{
    void *item = Get(index);
    std::memmove(items_ + index, items_ + index + 1, (count_ - index - 1) * sizeof(void *));
    --count_;
    return item;
}

int TzelPointerList::IndexOfPointer(const void *item) const
{
    for (uint32_t i = 0; i < count_; ++i)
        if (items_[i] == item)
            return static_cast<int>(i);
    return -1;
}

void TzelPointerList::SetCountRaw(int newCount)
{
    if (newCount < 0 || newCount > MaxListSize)
        RaiseCountError(newCount);
    uint32_t wanted = static_cast<uint32_t>(newCount);
    if (wanted > capacity_)
        Grow(wanted);
    if (wanted > count_)
        std::memset(items_ + count_, 0, (wanted - count_) * sizeof(void *));
    count_ = wanted;
}
