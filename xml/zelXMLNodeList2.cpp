// The untyped storage of TzelXMLNodeList2: one heap block holding the count, the capacity
// and the pointers, with the list's range checks and error messages.
#include "zelXMLNodeList2.h"

#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

#include "zelXMLNodePool.h"

static_assert(sizeof(void *) <= 8 && alignof(void *) <= 8, "the block header keeps pointers aligned");

void TzelPointerList::RaiseIndexError(int index)
{
    throw EListError("List index out of bounds (" + std::to_string(index) + ")");
}

void TzelPointerList::RaiseCountError(int count)
{
    throw EListError("List count out of bounds (" + std::to_string(count) + ")");
}

void TzelPointerList::FreeBlock()
{
    if (block_->Pooled())
        TzelXMLNodePool::Free(block_, BlockBytes(block_->Capacity()));
    else
        std::free(block_);
    block_ = nullptr;
}

void TzelPointerList::Grow(uint32_t minimum)
{
    if (minimum > static_cast<uint32_t>(MaxListSize))
        RaiseCountError(static_cast<int>(minimum));
    const uint32_t current = block_ ? block_->Capacity() : 0;
    // Small lists start at four entries, then double: appends stay amortised constant.
    uint32_t capacity = current < 4 ? 4 : current * 2;
    if (capacity < minimum)
        capacity = minimum;
    if (capacity > static_cast<uint32_t>(MaxListSize))
        capacity = MaxListSize;
    Block *grown;
    if (block_ && block_->Pooled()) {
        // A pooled block cannot grow in place: move the entries to the heap.
        grown = static_cast<Block *>(std::malloc(BlockBytes(capacity)));
        if (!grown)
            throw std::bad_alloc();
        std::memcpy(grown, block_, BlockBytes(block_->count));
        TzelXMLNodePool::Free(block_, BlockBytes(block_->Capacity()));
    } else {
        grown = static_cast<Block *>(std::realloc(block_, BlockBytes(capacity)));
        if (!grown)
            throw std::bad_alloc();
        if (!block_)
            grown->count = 0;
    }
    block_ = grown;
    block_->capacityAndFlag = capacity;
}

void TzelPointerList::Reserve(int capacity)
{
    if (capacity > 0 && static_cast<uint32_t>(capacity) > (block_ ? block_->Capacity() : 0))
        Grow(static_cast<uint32_t>(capacity));
}

void TzelPointerList::ShrinkToFit()
{
    if (!block_ || block_->Pooled() || block_->count == block_->Capacity() || block_->count == 0)
        return;
    if (auto *shrunk = static_cast<Block *>(std::realloc(block_, BlockBytes(block_->count)))) {
        block_ = shrunk;
        block_->capacityAndFlag = block_->count;
    }
}

void TzelPointerList::AssignExact(void *const *items, int count, TzelXMLNodePool &pool)
{
    if (count <= 0)
        return;
    const size_t bytes = BlockBytes(static_cast<uint32_t>(count));
    const bool pooled = bytes <= TzelXMLNodePool::MaxObjectSize;
    void *memory = pooled ? pool.Allocate(bytes) : std::malloc(bytes);
    if (!memory)
        throw std::bad_alloc();
    ReleaseStorage();
    block_ = static_cast<Block *>(memory);
    block_->count = static_cast<uint32_t>(count);
    block_->capacityAndFlag = static_cast<uint32_t>(count) | (pooled ? PooledFlag : 0);
    std::memcpy(block_->Items(), items, size_t(count) * sizeof(void *));
}

void TzelPointerList::InsertPointer(int index, void *item)
{
    const uint32_t count = static_cast<uint32_t>(Count());
    if (index < 0 || static_cast<uint32_t>(index) > count)
        RaiseIndexError(index);
    if (!block_ || count == block_->Capacity())
        Grow(count + 1);
    void **items = block_->Items();
    std::memmove(items + index + 1, items + index, (count - index) * sizeof(void *));
    items[index] = item;
    ++block_->count;
}

void *TzelPointerList::RemoveAt(int index)
{
    void *item = Get(index);
    void **items = block_->Items();
    std::memmove(items + index, items + index + 1, (block_->count - index - 1) * sizeof(void *));
    --block_->count;
    return item;
}

int TzelPointerList::IndexOfPointer(const void *item) const
{
    const int count = Count();
    for (int i = 0; i < count; ++i)
        if (block_->Items()[i] == item)
            return i;
    return -1;
}

void TzelPointerList::SetCountRaw(int newCount)
{
    if (newCount < 0 || newCount > MaxListSize)
        RaiseCountError(newCount);
    const uint32_t wanted = static_cast<uint32_t>(newCount);
    const uint32_t count = static_cast<uint32_t>(Count());
    if (wanted == count)
        return;
    if (!block_ || wanted > block_->Capacity())
        Grow(wanted);
    if (wanted > count)
        std::memset(block_->Items() + count, 0, (wanted - count) * sizeof(void *));
    block_->count = wanted;
}
