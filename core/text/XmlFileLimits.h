#pragma once
// Guards the XML parser against files that no real playlist, tracker or camera file
// comes near (a few kilobytes, four levels deep): the parser and the node tree recurse
// once per level, so a deeply nested file overflows the stack, and a huge one makes
// the allocation of its buffer fail.
#include <cstdio>

#include <tinyxml.h>

namespace tessaly {

constexpr long kXmlSizeLimit = 4L * 1024 * 1024;  // bytes
constexpr int kXmlDepthLimit = 256;               // elements inside one another

// Loads `file` into `document` as TiXmlDocument::LoadFile does, but refuses a file
// beyond the limits before parsing it: false and an empty document, as for a malformed
// file. Two more differences keep what is read the same once written back: text that
// is not well-formed UTF-8 is read byte for byte, and a declaration holding markup
// makes the file malformed.
bool LoadXmlWithinLimits(FILE* file, TiXmlDocument& document);

// How deep the parser would nest elements reading `text` (up to its first NUL),
// measured without recursion; stops counting once `limit` is passed, with `beyond` (when
// given) at the element that passed it.
int XmlNestingDepth(const char* text, int limit, TiXmlEncoding encoding = TIXML_ENCODING_UNKNOWN,
                    const char** beyond = nullptr);

// False when some lead byte of UTF-8 is not followed by its continuation bytes: the
// parser's UTF-8 reading would then swallow whatever follows it.
bool StepsAsUtf8(const char* text, size_t length);

// At least as many bytes as TinyXML writes when it saves `document` (it indents every
// line by four blanks per level, so a file within the size limit can be written back
// far larger); stops counting once `limit` is passed.
size_t XmlPrintedSize(const TiXmlDocument& document, size_t limit);

}  // namespace tessaly
