#pragma once
// Writing XML files so that a crash or a full disk during the write never leaves a
// truncated file: the document goes to a file beside the target, which then replaces
// the target in one step.
#include <cstdio>
#include <string>

class TiXmlDocument;

namespace tessaly {

// False, with the target untouched, when the document could not be written whole.
bool SaveDocumentReplacing(const TiXmlDocument& document, const std::wstring& path);
// A path in the ANSI code page, as the tracker's file names are kept.
bool SaveDocumentReplacing(const TiXmlDocument& document, const std::string& path);

// The step that writes the document into the temporary file; false when it failed. Tests
// put in one that fails half-way. Null puts back the real one; the one replaced is returned.
using DocumentWriter = bool (*)(const TiXmlDocument& document, std::FILE* file);
DocumentWriter SetDocumentWriter(DocumentWriter writer);

}  // namespace tessaly
