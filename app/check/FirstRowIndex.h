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
    // whether it is new.
    std::pair<int, bool> Add(std::string_view text, int row)
    {
        if ((count_ + 1) * 2 > slots_.size())
            Grow();
        const uint64_t hash = std::hash<std::string_view>{}(text);
        for (size_t at = hash & (slots_.size() - 1);; at = (at + 1) & (slots_.size() - 1)) {
            TSlot &slot = slots_[at];
            if (!slot.Used) {
                slot = {hash, texts_.size(), text.size(), row, true};
                texts_.append(text);
                ++count_;
                return {row, true};
            }
            if (slot.Hash == hash && std::string_view(texts_).substr(slot.Start, slot.Size) == text)
                return {slot.Row, false};
        }
    }

private:
    struct TSlot {
        uint64_t Hash = 0;
        size_t Start = 0, Size = 0; // in texts_
        int Row = 0;
        bool Used = false;
    };

    void Grow()
    {
        std::vector<TSlot> old(slots_.empty() ? 64 : slots_.size() * 2);
        old.swap(slots_);
        for (const TSlot &slot : old) {
            if (!slot.Used)
                continue;
            size_t at = slot.Hash & (slots_.size() - 1);
            while (slots_[at].Used)
                at = (at + 1) & (slots_.size() - 1);
            slots_[at] = slot;
        }
    }

    std::vector<TSlot> slots_; // a power of two of them, at most half in use
    size_t count_ = 0;
    std::string texts_;
};
