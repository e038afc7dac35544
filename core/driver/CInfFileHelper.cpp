#include "core/driver/CInfFileHelper.h"

namespace DRIVER {
namespace {

const wchar_t kBlanks[] = L" \t\r\n";

std::wstring Trim(const std::wstring& text)
{
    size_t first = text.find_first_not_of(kBlanks);
    if (first == std::wstring::npos) return std::wstring();
    size_t last = text.find_last_not_of(kBlanks);
    return text.substr(first, last - first + 1);
}

std::vector<std::wstring> Tokens(const std::wstring& text, wchar_t separator)
{
    std::vector<std::wstring> tokens;
    size_t start = 0;
    for (;;) {
        size_t at = text.find(separator, start);
        std::wstring token = Trim(text.substr(start, at == std::wstring::npos ? std::wstring::npos : at - start));
        if (!token.empty()) tokens.push_back(token);
        if (at == std::wstring::npos) break;
        start = at + 1;
    }
    return tokens;
}

}  // namespace

bool CInfFileHelper::Open(const std::wstring& path)
{
    Close();
    if (!file.Open(path, CStdioFileEx::modeRead | CStdioFileEx::shareDenyNone | CStdioFileEx::typeText)) return false;
    std::wstring line;
    while (file.ReadString(line)) lines_.push_back(line);
    return true;
}

void CInfFileHelper::Close()
{
    file.Close();
    lines_.clear();
    next_ = 0;
}

bool CInfFileHelper::FindSection(const std::wstring& header)
{
    if (!file.IsOpen()) return false;
    for (next_ = 0; next_ < lines_.size();) {
        if (lines_[next_++].find(header) != std::wstring::npos) return true;
    }
    return false;
}

std::vector<std::wstring> CInfFileHelper::SectionLines()
{
    std::vector<std::wstring> lines;
    for (; next_ < lines_.size(); ++next_) {
        std::wstring trimmed = Trim(lines_[next_]);
        if (trimmed.empty() || trimmed[0] == L';') continue;
        if (trimmed.find(L'[') != std::wstring::npos) break;
        lines.push_back(trimmed);
    }
    return lines;
}

bool CInfFileHelper::GetManufacturers(std::vector<std::wstring>& list)
{
    list.clear();
    if (!FindSection(L"[Manufacturer]")) return false;
    for (const std::wstring& line : SectionLines()) {
        size_t equals = line.find(L'=');
        if (equals != std::wstring::npos) list.push_back(Trim(line.substr(equals + 1)));
    }
    return true;
}

bool CInfFileHelper::GetModelIds(const std::wstring& manufacturerEntry, std::vector<std::wstring>& list)
{
    list.clear();
    std::vector<std::wstring> tokens = Tokens(Trim(manufacturerEntry), L',');
    if (tokens.size() < 2) return false;
    if (!FindSection(L"[" + tokens[0] + L"." + tokens[1] + L"]")) return false;
    for (const std::wstring& line : SectionLines()) {
        size_t comma = line.find(L',');
        if (comma == std::wstring::npos) continue;
        // Further comma-separated IDs of a model line are compatible IDs, and a ";" starts a
        // comment. The ID goes on as a C string: text from a NUL on would never reach the system.
        std::wstring id = line.substr(comma + 1);
        id = Trim(id.substr(0, id.find_first_of(std::wstring(L",;\0", 3))));
        if (!id.empty()) list.push_back(id);
    }
    return true;
}

std::wstring CInfFileHelper::FirstModelId()
{
    std::vector<std::wstring> manufacturers, ids;
    if (!GetManufacturers(manufacturers)) return std::wstring();
    for (const std::wstring& entry : manufacturers) {
        if (GetModelIds(entry, ids) && !ids.empty()) return ids.front();
    }
    return std::wstring();
}

}  // namespace DRIVER
