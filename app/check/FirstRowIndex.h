#pragma once
// Texts seen so far and the row each was first seen in (the guids of a feed's items). The texts
// stand one after another in one buffer and the table holds only their place and hash, so ten
// thousands of them cost a few allocations, not two each, and a look-up reads little memory.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class TFirstRowIndex {
public:
    // Adds text with its row unless it is there; returns the row it was first seen in and
    // whether it is new. The texts together are parts of one document the check read, so
    // fewer than 2 GB.
    std::pair<int, bool> Add(std::string_view text, int row)
    {
        if ((count_ + 1) * 2 > slots_.size())
            Grow();
        const auto hash = static_cast<uint32_t>(std::hash<std::string_view>{}(text));
        for (size_t at = hash & (slots_.size() - 1);; at = (at + 1) & (slots_.size() - 1)) {
            TSlot &slot = slots_[at];
            if (slot.SizeAndOne == 0) {
                slot = {hash, static_cast<uint32_t>(texts_.size()), static_cast<uint32_t>(text.size() + 1), row};
                texts_.append(text);
                ++count_;
                return {row, true};
            }
            if (slot.Hash == hash && std::string_view(texts_).substr(slot.Start, slot.SizeAndOne - 1) == text)
                return {slot.Row, false};
        }
    }

private:
    // 16 bytes, four to a cache line: the table is read at random.
    struct TSlot {
        uint32_t Hash = 0;
        uint32_t Start = 0;      // in texts_
        uint32_t SizeAndOne = 0; // the text's size + 1; 0: the slot is empty
        int32_t Row = 0;
    };

    void Grow()
    {
        std::vector<TSlot> old(slots_.empty() ? 64 : slots_.size() * 2);
        old.swap(slots_);
        for (const TSlot &slot : old) {
            if (slot.SizeAndOne == 0)
                continue;
            size_t at = slot.Hash & (slots_.size() - 1);
            while (slots_[at].SizeAndOne != 0)
                at = (at + 1) & (slots_.size() - 1);
            slots_[at] = slot;
        }
    }

    std::vector<TSlot> slots_; // a power of two of them, at most half in use
    size_t count_ = 0;
    std::string texts_;
};
