#include "launcher/PavoraDlg.h"

#include "core/frame/TessalyApi.h"
#include "launcher/resource.h"

CPavoraDlg::CPavoraDlg() : kit::Dialog(IDD_PAVORA_DIALOG) {}

BOOL CPavoraDlg::OnInitDialog()
{
    tstring title = GetLanStr(L"6");
    SetWindowTextW(Handle(), title.Data());
    InitData(this);
    return TRUE;
}
