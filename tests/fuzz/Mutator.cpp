#include "tests/fuzz/Mutator.h"

#include <algorithm>

namespace fuzz {

size_t Mutator::Below(size_t bound)
{
    if (bound == 0) return 0;
    return static_cast<size_t>(random_() % bound);
}

std::string Mutator::Mutate(std::string input, size_t maxSize)
{
    size_t damages = 1 + Below(3);
    for (size_t i = 0; i < damages; ++i) {
        switch (Below(11)) {
        case 0: FlipBits(input); break;
        case 1: SetBytes(input); break;
        case 2: Truncate(input); break;
        case 3: DuplicateLine(input); break;
        case 4: DuplicateTag(input); break;
        case 5: InsertLongRun(input); break;
        case 6: InsertNuls(input); break;
        case 7: ChangeByteOrder(input); break;
        case 8: LoneByteOrderMark(input); break;
        case 9: NestDeeply(input); break;
        default: Splice(input); break;
        }
        if (input.size() > maxSize) input.resize(maxSize);
    }
    return input;
}

void Mutator::FlipBits(std::string& text)
{
    if (text.empty()) return;
    for (size_t n = 1 + Below(8); n > 0; --n) text[Below(text.size())] ^= static_cast<char>(1u << Below(8));
}

void Mutator::SetBytes(std::string& text)
{
    if (text.empty()) return;
    static const char kTelling[] = {'\0', '<', '>', '/', '"', '\'', '`', '=', '[', ']', '\n', '\r', '&', ';',
                                    '\xff', '\xfe', '\x80', ':', ' ', '\t'};
    for (size_t n = 1 + Below(8); n > 0; --n) {
        char value = Below(2) ? kTelling[Below(sizeof(kTelling))] : static_cast<char>(Below(256));
        text[Below(text.size())] = value;
    }
}

// Lengths of every class: nothing, a byte or two, an odd length, about half, one short.
void Mutator::Truncate(std::string& text)
{
    const size_t size = text.size();
    const size_t lengths[] = {0, 1, 2, 3, size / 2, size / 2 + 1, size ? size - 1 : 0, Below(size + 1)};
    text.resize(std::min(size, lengths[Below(sizeof(lengths) / sizeof(lengths[0]))]));
}

void Mutator::DuplicateLine(std::string& text)
{
    if (text.empty()) return;
    size_t at = Below(text.size());
    size_t begin = text.rfind('\n', at);
    begin = begin == std::string::npos ? 0 : begin + 1;
    size_t end = text.find('\n', at);
    end = end == std::string::npos ? text.size() : end + 1;
    std::string line = text.substr(begin, end - begin);
    size_t copies = Below(4) ? 1 + Below(3) : 1 + Below(2000);
    std::string block;
    for (size_t i = 0; i < copies && block.size() < (1u << 20); ++i) block += line;
    text.insert(end, block);
}

void Mutator::DuplicateTag(std::string& text)
{
    size_t open = text.find('<', Below(text.size()));
    if (open == std::string::npos) open = text.find('<');
    if (open == std::string::npos) return;
    size_t close = text.find('>', open);
    if (close == std::string::npos) return;
    std::string tag = text.substr(open, close - open + 1);
    for (size_t n = 1 + Below(3); n > 0; --n) text.insert(open, tag);
}

void Mutator::InsertLongRun(std::string& text)
{
    static const size_t kLengths[] = {99, 100, 101, 255, 256, 259, 260, 261, 1023, 1024, 1025, 4096, 70000};
    size_t length = kLengths[Below(sizeof(kLengths) / sizeof(kLengths[0]))];
    char fill = Below(2) ? 'A' : static_cast<char>('0' + Below(10));
    text.insert(Position(text), std::string(length, fill));
}

void Mutator::InsertNuls(std::string& text)
{
    text.insert(Position(text), std::string(1 + Below(4), '\0'));
}

// 8-bit text widened to UTF-16 of either order, or 16-bit text turned around.
void Mutator::ChangeByteOrder(std::string& text)
{
    switch (Below(3)) {
    case 0:
        for (size_t i = 0; i + 1 < text.size(); i += 2) std::swap(text[i], text[i + 1]);
        break;
    default: {
        bool bigEndian = Below(2) != 0;
        std::string wide = Below(2) ? (bigEndian ? "\xfe\xff" : "\xff\xfe") : "";
        for (char ch : text) {
            if (bigEndian) wide += '\0';
            wide += ch;
            if (!bigEndian) wide += '\0';
        }
        text = wide;
        break;
    }
    }
}

void Mutator::LoneByteOrderMark(std::string& text)
{
    static const char* const kMarks[] = {"\xff\xfe", "\xfe\xff", "\xef\xbb\xbf", "\xff", "\xef\xbb"};
    text = kMarks[Below(sizeof(kMarks) / sizeof(kMarks[0]))];
}

void Mutator::NestDeeply(std::string& text)
{
    static const size_t kDepths[] = {255, 256, 257, 1000, 100000};
    size_t depth = kDepths[Below(sizeof(kDepths) / sizeof(kDepths[0]))];
    std::string name = Below(2) ? "a" : "CONFIG";
    std::string open, close;
    for (size_t i = 0; i < depth; ++i) open += "<" + name + ">";
    if (Below(2))
        for (size_t i = 0; i < depth; ++i) close += "</" + name + ">";
    text.insert(Position(text), open + close);
}

void Mutator::Splice(std::string& text)
{
    if (text.empty()) return;
    size_t from = Below(text.size());
    size_t length = 1 + Below(std::min<size_t>(text.size() - from, 256));
    text.insert(Position(text), text.substr(from, length));
}

}  // namespace fuzz
