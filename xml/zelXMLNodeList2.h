#pragma once
// TzelXMLNodeList2<T>: the ordered, owning pointer list that holds a node's children
// (T = TzelXMLNode2) and its attributes (T = TzelXMLAttribute2).
//
// Ownership: the list owns what it holds. Clear() and the destructor destroy every item,
// first position to last, while it is still listed, and then empty the list.
// Delete(i), Extract(i) and lowering the count with SetCount take entries OUT without
// destroying them: whoever removes them owns them from then on (Extract returns the
// pointer; with Delete or SetCount read the items first or they leak). To shorten a list
// and destroy the cut entries in one step use DeleteTrailing(newCount).
// Raising the count with SetCount pads with empty (null) entries; the engine's tree walks
// (writer, FindChild, CloneTree, destruction) skip such entries.
//
// Errors (EListError): "List index out of bounds (%d)" for a position outside 0..Count-1
// (0..Count for Insert), "List count out of bounds (%d)" for a count below 0 or above
// MaxListSize. A failing operation changes nothing.
#include <cstdint>

#include "zelException.h"

class TzelXMLNodePool;

// The untyped part: storage, growth and the range checks. The list itself is one pointer;
// an empty list allocates nothing.
class TzelPointerList {
public:
    static constexpr int MaxListSize = 134217727;

    TzelPointerList() = default;
    TzelPointerList(const TzelPointerList &) = delete;
    TzelPointerList &operator=(const TzelPointerList &) = delete;
    ~TzelPointerList() { ReleaseStorage(); }

    int Count() const { return block_ ? static_cast<int>(block_->count) : 0; }

    [[noreturn]] static void RaiseIndexError(int index);
    [[noreturn]] static void RaiseCountError(int count);

protected:
    void *Get(int index) const
    {
        if (static_cast<uint32_t>(index) >= static_cast<uint32_t>(Count()))
            RaiseIndexError(index);
        return block_->Items()[index];
    }
    int AddPointer(void *item)
    {
        if (!block_ || block_->count == block_->Capacity())
            Grow(static_cast<uint32_t>(Count()) + 1);
        block_->Items()[block_->count] = item;
        return static_cast<int>(block_->count++);
    }
    void InsertPointer(int index, void *item);
    void *RemoveAt(int index);     // takes the entry out and returns it
    int IndexOfPointer(const void *item) const;
    void SetCountRaw(int newCount); // pads with null; lowering just forgets entries
    void *const *Data() const { return block_ ? block_->Items() : nullptr; }
    void **Data() { return block_ ? block_->Items() : nullptr; }
    void ForgetAll() { if (block_) block_->count = 0; }
    void ReleaseStorage()
    {
        if (block_)
            FreeBlock();
    }
    void Reserve(int capacity);
    // Gives back the room past the entries (a heap block shrinks in place).
    void ShrinkToFit();
    // Replaces the (empty) list by exactly these entries, in a block carved from the pool
    // when it is small (a document's reader lists its elements' entries this way).
    void AssignExact(void *const *items, int count, TzelXMLNodePool &pool);

private:
    struct Block {
        uint32_t count;
        uint32_t capacityAndFlag; // bit 31: the block lives in a node pool, not on the heap
        void **Items() { return reinterpret_cast<void **>(this + 1); }
        uint32_t Capacity() const { return capacityAndFlag & ~PooledFlag; }
        bool Pooled() const { return (capacityAndFlag & PooledFlag) != 0; }
    };
    static constexpr uint32_t PooledFlag = 0x80000000u;
    static size_t BlockBytes(uint32_t capacity) { return sizeof(Block) + size_t(capacity) * sizeof(void *); }
    void Grow(uint32_t minimum);
    void FreeBlock();

    Block *block_ = nullptr;
};

// T must provide `static void TakenOutOfList(T *item)`, called for every entry that leaves
// the list without being destroyed (a node uses it to make its subtree self-contained).
template <class T>
class TzelXMLNodeList2 : public TzelPointerList {
public:
    TzelXMLNodeList2() = default;
    ~TzelXMLNodeList2() { Clear(); }

    // Positional read; raises "List index out of bounds (%d)" outside 0..Count-1.
    T *Items(int index) const { return static_cast<T *>(Get(index)); }
    T *operator[](int index) const { return Items(index); }
    T *at(int index) const { return Items(index); }

    // Appends the item (the list takes it over) and returns its position.
    int Add(T *item) { return AddPointer(item); }
    // Inserts at 0..Count (Count appends); outside that raises and the item stays with the caller.
    void Insert(int index, T *item) { InsertPointer(index, item); }
    // Takes the entry at index out of the list WITHOUT destroying it.
    void Delete(int index) { Extract(index); }
    // Takes the entry at index out and hands it to the caller, who then owns it.
    T *Extract(int index)
    {
        T *item = static_cast<T *>(RemoveAt(index));
        if (item)
            T::TakenOutOfList(item);
        return item;
    }
    // Position of the item by identity, -1 when it is not listed.
    int IndexOf(const T *item) const { return IndexOfPointer(item); }

    // Lowering takes the trailing entries out WITHOUT destroying them (see DeleteTrailing);
    // raising pads with null entries. Raises "List count out of bounds (%d)".
    void SetCount(int newCount)
    {
        if (newCount < 0 || newCount > MaxListSize)
            RaiseCountError(newCount);
        for (int i = newCount; i < Count(); ++i)
            if (T *item = Items(i))
                T::TakenOutOfList(item);
        SetCountRaw(newCount);
    }

    // Shortens the list to newCount entries and destroys the entries cut off, last first.
    // A newCount at or above Count changes nothing. Raises "List count out of bounds (%d)"
    // for a negative count.
    void DeleteTrailing(int newCount)
    {
        if (newCount < 0)
            RaiseCountError(newCount);
        while (Count() > newCount) {
            T *item = static_cast<T *>(RemoveAt(Count() - 1));
            delete item;
        }
    }

    // Destroys every item, first to last, while it is still listed; then empties the list.
    void Clear()
    {
        if (Count() == 0) {
            ReleaseStorage();
            return;
        }
        for (int i = 0; i < Count(); ++i)
            delete static_cast<T *>(Data()[i]);
        ForgetAll();
        ReleaseStorage();
    }

    // Range-for over the entries (null entries included).
    T *const *begin() const { return reinterpret_cast<T *const *>(Data()); }
    T *const *end() const { return begin() + Count(); }

private:
    friend class TzelXMLNode2;
    friend class TzelXMLReader;
    friend class TzelXMLParser2;
    // Engine-internal: append without the checks of Add and reserve room.
    void AddUnchecked(T *item) { AddPointer(item); }
    T *ItemUnchecked(int index) const { return static_cast<T *>(Data()[index]); }
    using TzelPointerList::Reserve;
    using TzelPointerList::ShrinkToFit;
    using TzelPointerList::ForgetAll;
    using TzelPointerList::ReleaseStorage;
    using TzelPointerList::RemoveAt;
    using TzelPointerList::Data;
    using TzelPointerList::AssignExact;
};
