#pragma once
// TzelXMLNodePool: the memory nodes live in. Nodes are carved from 64 KiB chunks instead of
// one heap block each, which saves the allocator's per-block cost in time and space. Each
// chunk counts its live nodes; it is given up once the pool has moved on from it and its
// last node is gone, so a node may outlive its pool (a node taken out of its document, for
// one). Given-up chunks wait in a small per-thread cache for the next tree: a document read
// again and again (the editor re-reads its feed after every command) reuses the same
// memory instead of spreading new chunks over a heap full of old holes. Not thread-safe: a
// tree belongs to one thread.
#include <cstddef>

class TzelXMLNodePool {
public:
    TzelXMLNodePool() = default;
    TzelXMLNodePool(const TzelXMLNodePool &) = delete;
    TzelXMLNodePool &operator=(const TzelXMLNodePool &) = delete;
    ~TzelXMLNodePool() { Release(); }

    // Room for one object of the given size (at most MaxObjectSize bytes) and alignment (4 or
    // 8). Attributes need only 4, which packs two of them into 56 bytes instead of 64.
    void *Allocate(size_t size, size_t alignment = 8)
    {
        size = (size + 3) & ~size_t(3);
        size_t start = (used_ + alignment - 1) & ~(alignment - 1);
        if (!chunk_ || start + size > ChunkSize) {
            StartChunk();
            start = used_;
        }
        void *object = reinterpret_cast<char *>(chunk_) + start;
        used_ = start + size;
        ++*LiveCount(chunk_);
        return object;
    }
    // Stops allocating from the current chunk (giving it up if nothing lives in it).
    void Release();
    // Gives back memory (of the given size) that Allocate handed out.
    static void Free(void *memory, size_t size) noexcept;

    static constexpr size_t ChunkSize = 64 * 1024;
    static constexpr size_t MaxObjectSize = 256;
    // At most this many free chunks wait per thread (16 MiB); more are returned to the system.
    static constexpr size_t CachedChunks = 256;

private:
    struct Chunk;
    static size_t *LiveCount(Chunk *chunk) { return reinterpret_cast<size_t *>(chunk); }
    void StartChunk();

    Chunk *chunk_ = nullptr;
    size_t used_ = 0;
    size_t chunksStarted_ = 0;
};
