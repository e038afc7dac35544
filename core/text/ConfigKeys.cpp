#include "core/text/ConfigKeys.h"

namespace tessaly {
namespace config {

const wchar_t kPath[] = L"Bin\\config.ini";

const IntKey kAuto = {L"config", L"auto", 0};
const IntKey kStartWin7Touch = {L"config", L"StartWin7Touch", 0};
const IntKey kDeviceType = {L"config", L"DEVICETYPE", 0};
const IntKey kFilterWay = {L"config", L"FilterWay", 0};
const IntKey kSendSocket = {L"config", L"SendSocket", 0};
const IntKey kDotCursor = {L"config", L"bDotCursor", 0};
const IntKey kCheck360 = {L"config", L"check360 ", 1};
const IntKey kManualCalibrate = {L"config", L"manualcalibrate", 0};
const IntKey kMaskCommonCamera = {L"config", L"MaskCommonCamera", 1};
const StringKey kPassword = {L"config", L"password", 100};
const IntKey kDebug = {L"version", L"debug", 0};
const IntKey kLanguage = {L"version", L"language", 1};
const IntKey kRightClick = {L"rightmouse", L"rightClick", 1};
const IntKey kSamePointTime = {L"rightmouse", L"isSamePoint", 0};
const StringKey kCompany = {L"copyright", L"company", 100};
const StringKey kContact = {L"copyright", L"contact", 100};
const StringKey kHelp = {L"copyright", L"help", 260};
const StringKey kProjectorAddress = {L"projector", L"address", 1024};
const StringKey kProjectorPassword = {L"projector", L"password", 256};
const IntKey kProjectorWarmup = {L"projector", L"warmupseconds", 60};
const wchar_t kQuickKeySection[] = L"QuickKey";

}  // namespace config
}  // namespace tessaly
