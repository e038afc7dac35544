// The exports of the lowest floors: language texts and outside programs.
#include "core/library/TessalyApi.h"

#include "core/frame/Processes.h"
#include "core/text/LanguageTable.h"

tstring GetLanStr(const wchar_t* id)
{
    return tessaly::LanguageTable::Instance().Lookup(id);
}

tstring GetSettingStr()
{
    return GetLanStr(L"26");
}

int KillProcessByName(const wchar_t* name)
{
    return tessaly::KillProcesses(name);
}

void OpenCmdByCommand(std::wstring commandLine, unsigned short showCommand, int wait)
{
    tessaly::RunCommand(std::move(commandLine), showCommand, wait);
}
