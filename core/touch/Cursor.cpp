#include "core/touch/Cursor.h"

#include "framework/Application.h"
#include "core/resources/Cursors_rc.h"
#include "framework/MessageBox.h"
#include "framework/ResourceScope.h"
#include "framework/TestLog.h"

bool dotCursorActive = false;

namespace {

SystemCursorSetter g_setter = SetSystemCursor;

// The caption of the library's boxes: the file name of the module this code is linked into.
std::wstring LibraryTitle()
{
    return kit::ModuleTitle(kit::ThisModule());
}

void ShowCursorFailure()
{
    kit::ShowMessageBox(nullptr, L"设置光标失败", LibraryTitle().c_str(), MB_OK);
}

// The system takes the cursor it is given and destroys it later, so it must be a private
// copy (never a shared one); a refused cursor stays ours to destroy.
bool ReplaceNormalArrow(UINT resourceId)
{
    HCURSOR cursor = static_cast<HCURSOR>(
        LoadImageW(kit::ResourceInstance(), MAKEINTRESOURCEW(resourceId), IMAGE_CURSOR, 0, 0, LR_DEFAULTCOLOR));
    if (!cursor) return false;
    if (g_setter(cursor, 32512 /* OCR_NORMAL */)) {
        // Wine accepts the change and shows nothing of it: the whole-program tests read this.
        kit::AppendTestLog(L"PAVORA_SYSTEM_CURSOR_LOG", resourceId == IDC_DOT_CURSOR ? L"dot" : L"arrow");
        return true;
    }
    DestroyCursor(cursor);
    return false;
}

}  // namespace

SystemCursorSetter SetSystemCursorSetter(SystemCursorSetter setter)
{
    SystemCursorSetter previous = g_setter;
    g_setter = setter ? setter : SetSystemCursor;
    return previous;
}

void SetDotCursor(bool skipQuestion)
{
    if (!skipQuestion &&
        kit::ShowMessageBox(nullptr, L"确保融合软件已经停止拼接\n是否继续?", LibraryTitle().c_str(), MB_YESNO) != IDYES)
        return;
    if (ReplaceNormalArrow(IDC_DOT_CURSOR))
        dotCursorActive = true;
    else
        ShowCursorFailure();
}

void RestoreCursor()
{
    if (!dotCursorActive) return;
    bool restored = ReplaceNormalArrow(IDC_ARROW_CURSOR);
    // Retrying a refused restore at every close would only repeat the message.
    dotCursorActive = false;
    if (!restored) ShowCursorFailure();
}
