// The 32-bit millisecond counter. Production reads a steady clock; tests
// inject their own counter (also near the 32-bit wrap). now() may be called
// from any thread.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>

namespace kelmar {

class TickSource {
public:
    virtual ~TickSource() = default;
    // Milliseconds of a monotonic counter, truncated to 32 bits (wraps after
    // about 49.7 days).
    virtual uint32_t now() = 0;
};

class SteadyTickSource final : public TickSource {
public:
    uint32_t now() override {
        const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
            std::chrono::steady_clock::now().time_since_epoch());
        return static_cast<uint32_t>(ms.count());
    }
};

// A counter that moves only when told to; for tests and benchmarks. Safe to
// read from another thread while it is moved.
class ManualTickSource final : public TickSource {
public:
    explicit ManualTickSource(uint32_t start = 0) : ticks_(start) {}
    uint32_t now() override { return ticks_.load(); }
    void advance(uint32_t ms) { ticks_ += ms; }
    void set(uint32_t ms) { ticks_ = ms; }

private:
    std::atomic<uint32_t> ticks_;
};

} // namespace kelmar
