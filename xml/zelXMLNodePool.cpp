// Chunked node memory. Chunks are aligned to their size, so the chunk of any object is
// found by masking its address. They come straight from the system in runs of 16 (not from
// malloc, whose aligned blocks leave holes in the heap around them), and given-up chunks
// are kept per thread for the next tree.
#include "zelXMLNodePool.h"

#include <cstdint>
#include <cstdlib>
#include <new>
#include <vector>

// GCC names AddressSanitizer with a macro, clang with a feature test.
#if defined(__SANITIZE_ADDRESS__)
#define ZEL_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define ZEL_ADDRESS_SANITIZER 1
#endif
#endif

#if defined(ZEL_ADDRESS_SANITIZER)
#include <sanitizer/asan_interface.h>
// Freed objects stay inside a live chunk: mark them so a use after free is still caught.
#define ZEL_POISON(memory, size) ASAN_POISON_MEMORY_REGION(memory, size)
#define ZEL_UNPOISON(memory, size) ASAN_UNPOISON_MEMORY_REGION(memory, size)
// Under the sanitizer chunks are heap blocks, so its leak check sees what nodes point to.
#define ZEL_CHUNKS_FROM_HEAP 1
#else
#define ZEL_POISON(memory, size) ((void)(memory), (void)(size))
#define ZEL_UNPOISON(memory, size) ((void)(memory), (void)(size))
#include <sys/mman.h>
#endif

struct TzelXMLNodePool::Chunk {
    size_t live;   // objects handed out and not yet freed
    bool released; // the pool no longer allocates from it
};

namespace {

constexpr size_t HeaderSize = (sizeof(size_t) * 2 + 15) & ~size_t(15);
constexpr size_t ChunksPerRun = 16;
constexpr size_t HugeRunChunks = 32; // 2 MiB

// Set once this thread's cache is gone: nodes of static documents and the loose pool can
// still free chunks while the thread (or program) ends, and then go straight to the system.
thread_local bool cacheGone = false;

// This thread's free chunks; returned to the system when the thread ends.
class ChunkCache {
public:
    ~ChunkCache()
    {
        cacheGone = true;
        for (void *chunk : free_)
            Unmap(chunk);
    }
    void *Take(bool large)
    {
        if (free_.empty())
            Refill(large);
        void *chunk = free_.back();
        free_.pop_back();
        ZEL_UNPOISON(chunk, TzelXMLNodePool::ChunkSize);
        return chunk;
    }
    void Give(void *chunk) noexcept
    {
        if (cacheGone || free_.size() >= TzelXMLNodePool::CachedChunks) {
            Unmap(chunk);
            return;
        }
        try {
            free_.push_back(chunk);
            ZEL_POISON(chunk, TzelXMLNodePool::ChunkSize);
        } catch (...) {
            Unmap(chunk);
        }
    }

    static void Unmap(void *chunk) noexcept
    {
#ifdef ZEL_CHUNKS_FROM_HEAP
        ZEL_UNPOISON(chunk, TzelXMLNodePool::ChunkSize);
        std::free(chunk);
#else
        munmap(chunk, TzelXMLNodePool::ChunkSize);
#endif
    }
    // count chunks in a row from the system (one under the sanitizer), aligned to alignment
    // (a multiple of the chunk size); returns the first.
    static char *MapRun(size_t count, size_t alignment = TzelXMLNodePool::ChunkSize)
    {
        constexpr size_t size = TzelXMLNodePool::ChunkSize;
#ifdef ZEL_CHUNKS_FROM_HEAP
        (void)count;
        (void)alignment;
        void *chunk = std::aligned_alloc(size, size);
        if (!chunk)
            throw std::bad_alloc();
        return static_cast<char *>(chunk);
#else
        // More than needed, trimmed at both ends to the alignment.
        const size_t mapped = count * size + alignment;
        void *memory = mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (memory == MAP_FAILED)
            throw std::bad_alloc();
        const uintptr_t start = reinterpret_cast<uintptr_t>(memory);
        const uintptr_t aligned = (start + alignment - 1) & ~uintptr_t(alignment - 1);
        if (aligned > start)
            munmap(memory, aligned - start);
        const uintptr_t end = aligned + count * size;
        if (start + mapped > end)
            munmap(reinterpret_cast<void *>(end), start + mapped - end);
        return reinterpret_cast<char *>(aligned);
#endif
    }

private:
    // A large tree takes its chunks in 2 MiB runs the system may back with huge pages: one
    // page fault instead of 512 each.
    void Refill(bool large)
    {
#ifdef ZEL_CHUNKS_FROM_HEAP
        (void)large;
        constexpr size_t count = 1;
#else
        const size_t count = large ? HugeRunChunks : ChunksPerRun;
#endif
        free_.reserve(free_.size() + count); // before mapping, so nothing mapped can leak
        char *run = MapRun(count, large ? HugeRunChunks * TzelXMLNodePool::ChunkSize : TzelXMLNodePool::ChunkSize);
#if defined(MADV_HUGEPAGE) && !defined(ZEL_CHUNKS_FROM_HEAP)
        if (large)
            madvise(run, count * TzelXMLNodePool::ChunkSize, MADV_HUGEPAGE);
#endif
        // Handed out lowest address first.
        for (size_t i = count; i-- > 0;)
            free_.push_back(run + i * TzelXMLNodePool::ChunkSize);
    }

    std::vector<void *> free_;
};

ChunkCache &Cache()
{
    thread_local ChunkCache cache;
    return cache;
}

void GiveChunk(void *chunk) noexcept
{
    if (cacheGone)
        ChunkCache::Unmap(chunk);
    else
        Cache().Give(chunk);
}

} // namespace

void TzelXMLNodePool::StartChunk()
{
    Release();
    // A pool that has filled this many chunks holds a large tree.
    const bool large = ++chunksStarted_ > HugeRunChunks;
    chunk_ = static_cast<Chunk *>(cacheGone ? ChunkCache::MapRun(1) : Cache().Take(large));
    chunk_->live = 0;
    chunk_->released = false;
    used_ = HeaderSize;
}

void TzelXMLNodePool::Release()
{
    if (!chunk_)
        return;
    chunk_->released = true;
    if (chunk_->live == 0)
        GiveChunk(chunk_);
    chunk_ = nullptr;
}

void TzelXMLNodePool::Free(void *memory, size_t size) noexcept
{
    ZEL_POISON(memory, size);
    auto *chunk = reinterpret_cast<Chunk *>(reinterpret_cast<uintptr_t>(memory) & ~uintptr_t(ChunkSize - 1));
    if (--chunk->live == 0 && chunk->released)
        GiveChunk(chunk);
}
