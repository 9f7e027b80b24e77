// Chunked node memory. Chunks are aligned to their size, so the chunk of any object is
// found by masking its address.
#include "zelXMLNodePool.h"

#include <cstdint>
#include <cstdlib>
#include <new>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/asan_interface.h>
// Freed objects stay inside a live chunk: mark them so a use after free is still caught.
#define ZEL_POISON(memory, size) ASAN_POISON_MEMORY_REGION(memory, size)
#else
#define ZEL_POISON(memory, size) ((void)(memory), (void)(size))
#endif

struct TzelXMLNodePool::Chunk {
    size_t live;   // objects handed out and not yet freed
    bool released; // the pool no longer allocates from it
};

namespace {

constexpr size_t HeaderSize = (sizeof(size_t) * 2 + 15) & ~size_t(15);

} // namespace

void *TzelXMLNodePool::Allocate(size_t size)
{
    size = (size + 7) & ~size_t(7);
    if (!chunk_ || used_ + size > ChunkSize) {
        Release();
        void *memory = std::aligned_alloc(ChunkSize, ChunkSize);
        if (!memory)
            throw std::bad_alloc();
        chunk_ = static_cast<Chunk *>(memory);
        chunk_->live = 0;
        chunk_->released = false;
        used_ = HeaderSize;
    }
    void *object = reinterpret_cast<char *>(chunk_) + used_;
    used_ += size;
    ++chunk_->live;
    return object;
}

void TzelXMLNodePool::Release()
{
    if (!chunk_)
        return;
    chunk_->released = true;
    if (chunk_->live == 0)
        std::free(chunk_);
    chunk_ = nullptr;
}

void TzelXMLNodePool::Free(void *memory, size_t size) noexcept
{
    ZEL_POISON(memory, size);
    auto *chunk = reinterpret_cast<Chunk *>(reinterpret_cast<uintptr_t>(memory) & ~uintptr_t(ChunkSize - 1));
    if (--chunk->live == 0 && chunk->released)
        std::free(chunk);
}
