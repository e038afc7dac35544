#pragma once
// Writing XML files so that a crash or a full disk during the write never leaves a
// truncated file: the document goes to a file beside the target, which then replaces
// the target in one step.
#include <string>

class TiXmlDocument;

namespace tessaly {

// False, with the target untouched, when the document could not be written whole.
bool SaveDocumentReplacing(const TiXmlDocument& document, const std::wstring& path);
// A path in the ANSI code page, as the tracker's file names are kept.
bool SaveDocumentReplacing(const TiXmlDocument& document, const std::string& path);

}  // namespace tessaly
