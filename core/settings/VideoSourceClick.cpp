#include "core/settings/VideoSourceClick.h"

#include "core/frame/TrackerFiles.h"
#include "core/text/ofxXmlSettings.h"
#include "framework/MessageBox.h"

void VideoSourceClick::ReadFrameSize()
{
    ReadFrameSize(tessaly::TrackerConfigPath());
}

void VideoSourceClick::ReadFrameSize(const std::string& trackerFile)
{
    ofxXmlSettings file;
    file.loadFile(trackerFile);
    int width = file.getValue("CONFIG:CAMERA_0:WIDTH", kDefaultFrameWidth);
    int height = file.getValue("CONFIG:CAMERA_0:HEIGHT", kDefaultFrameHeight);
    // A size that cannot be a camera's would make every click land nowhere.
    if (width <= 0 || height <= 0) {
        width = kDefaultFrameWidth;
        height = kDefaultFrameHeight;
    }
    frameWidth = width;
    frameHeight = height;
}

bool VideoSourceClick::Map(int x, int y)
{
    POINT point = {x, y};
    if (!PtInRect(&videoRect, point)) return false;
    double areaWidth = videoRect.right - videoRect.left;
    double areaHeight = videoRect.bottom - videoRect.top;
    // In 64 bits: a frame size read from a damaged file would make an int product overflow.
    LONGLONG across = static_cast<LONGLONG>(x - videoRect.left) * frameWidth;
    LONGLONG down = static_cast<LONGLONG>(y - videoRect.top) * frameHeight;
    clickPoint.x = static_cast<LONG>(static_cast<double>(across) / areaWidth);
    clickPoint.y = static_cast<LONG>(static_cast<double>(down) / areaHeight);
    return true;
}

void ShowMissingPointMessage(HWND owner)
{
    kit::ShowMessageBox(owner, L"请点击视频源内蓝色的圈中心所在点", L"tips", MB_OK | MB_ICONEXCLAMATION);
}
