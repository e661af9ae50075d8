#pragma once
// The ring of 64 key slots: empty when both indices meet, full one slot before, so it
// holds at most 63 keys.

#include <array>
#include <cstdint>
#include <optional>

#include "console/keys.h"

namespace nivex::console {

class KeyQueue {
  public:
    static constexpr int kSlots = 64;

    bool push(uint8_t code) {
        int next = (write_ + 1) % kSlots;
        if (next == read_) return false;
        slots_[write_] = code;
        write_ = next;
        return true;
    }
    std::optional<uint8_t> take() {
        if (empty()) return std::nullopt;
        uint8_t code = slots_[read_];
        read_ = (read_ + 1) % kSlots;
        return code;
    }
    std::optional<uint8_t> peek() const {
        if (empty()) return std::nullopt;
        return slots_[read_];
    }
    bool empty() const { return read_ == write_; }
    int size() const { return (write_ - read_ + kSlots) % kSlots; }
    void clear() { read_ = write_ = 0; }

  private:
    std::array<uint8_t, kSlots> slots_{};
    int write_ = 0;
    int read_ = 0;
};

}  // namespace nivex::console
