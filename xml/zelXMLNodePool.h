#pragma once
// TzelXMLNodePool: the memory nodes live in. Nodes are carved from 64 KiB chunks instead of
// one heap block each, which saves the allocator's per-block cost in time and space. Each
// chunk counts its live nodes; it is returned to the heap once the pool has moved on from it
// and its last node is gone, so a node may outlive its pool (a node taken out of its
// document, for one). Not thread-safe: a tree belongs to one thread.
#include <cstddef>

class TzelXMLNodePool {
public:
    TzelXMLNodePool() = default;
    TzelXMLNodePool(const TzelXMLNodePool &) = delete;
    TzelXMLNodePool &operator=(const TzelXMLNodePool &) = delete;
    ~TzelXMLNodePool() { Release(); }

    // Room for one object of the given size (at most MaxObjectSize bytes, 8-aligned).
    void *Allocate(size_t size);
    // Stops allocating from the current chunk (freeing it if nothing lives in it).
    void Release();
    // Gives back memory (of the given size) that Allocate handed out.
    static void Free(void *memory, size_t size) noexcept;

    static constexpr size_t ChunkSize = 64 * 1024;
    static constexpr size_t MaxObjectSize = 256;

private:
    struct Chunk;
    Chunk *chunk_ = nullptr;
    size_t used_ = 0;
};
