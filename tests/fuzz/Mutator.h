#pragma once
// Turns a seed file into a damaged variant of itself. The same seed number always gives
// the same variant, so that a failing input can be made again from its number alone.
#include <cstdint>
#include <random>
#include <string>

namespace fuzz {

class Mutator {
public:
    explicit Mutator(uint32_t seed) : random_(seed) {}

    // One to three damages stacked on `input`; the result stays below `maxSize` bytes.
    std::string Mutate(std::string input, size_t maxSize = 1 << 20);

private:
    size_t Below(size_t bound);  // 0 .. bound-1; 0 when bound is 0
    size_t Position(const std::string& text) { return Below(text.size() + 1); }

    void FlipBits(std::string& text);
    void SetBytes(std::string& text);
    void Truncate(std::string& text);
    void DuplicateLine(std::string& text);
    void DuplicateTag(std::string& text);
    void InsertLongRun(std::string& text);
    void InsertNuls(std::string& text);
    void ChangeByteOrder(std::string& text);
    void LoneByteOrderMark(std::string& text);
    void NestDeeply(std::string& text);
    void Splice(std::string& text);

    std::mt19937 random_;
};

}  // namespace fuzz
