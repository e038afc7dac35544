// The installer against Wine's own SetupAPI: devices that Wine lists as present, a
// root-enumerated device created for an absent ID (and removed again), missing files.
#include <gtest/gtest.h>

#include <windows.h>
#include <setupapi.h>

#include <string>
#include <vector>

#include "core/driver/CDlgBruthDriverSetup.h"
#include "core/driver/CDriverSetupHelper.h"
#include "core/driver/CInfFileHelper.h"
#include "core/driver/CStdioFileEx.h"
#include "core/driver/DeviceInfoSet.h"
#include "tests/support/DriverDevices.h"
#include "tests/support/DriverTestFiles.h"
#include "tests/support/MessageBoxRecorder.h"
#include "tests/support/ScratchFolder.h"

using DRIVER::CDlgBruthDriverSetup;
using DRIVER::CDriverSetupHelper;
using DRIVER::CInfFileHelper;
using DRIVER::DeviceInfoSet;
using testing_support::Encode;
using testing_support::Encoding;
using testing_support::PresentHidId;

namespace {

struct Device {
    std::wstring instanceId;
    std::vector<std::wstring> hardwareIds;
};

std::vector<Device> Devices(DWORD flags)
{
    std::vector<Device> devices;
    DeviceInfoSet set(SetupDiGetClassDevsW(nullptr, nullptr, nullptr, DIGCF_ALLCLASSES | flags));
    if (!set.Valid()) return devices;
    SP_DEVINFO_DATA data = {};
    data.cbSize = sizeof(data);
    for (DWORD i = 0; SetupDiEnumDeviceInfo(set.Get(), i, &data); ++i) {
        Device device;
        wchar_t instance[512] = L"";
        SetupDiGetDeviceInstanceIdW(set.Get(), &data, instance, 511, nullptr);
        device.instanceId = instance;
        wchar_t ids[2048] = {};
        if (SetupDiGetDeviceRegistryPropertyW(set.Get(), &data, SPDRP_HARDWAREID, nullptr,
                                              reinterpret_cast<BYTE*>(ids), sizeof(ids) - 4, nullptr)) {
            for (const wchar_t* id = ids; *id; id += wcslen(id) + 1) device.hardwareIds.push_back(id);
        }
        devices.push_back(device);
    }
    return devices;
}

// Removes every device, present or not, that lists this hardware ID; returns how many.
int RemoveDevicesWithId(const std::wstring& hardwareId)
{
    int removed = 0;
    DeviceInfoSet set(SetupDiGetClassDevsW(nullptr, nullptr, nullptr, DIGCF_ALLCLASSES));
    SP_DEVINFO_DATA data = {};
    data.cbSize = sizeof(data);
    for (DWORD i = 0; SetupDiEnumDeviceInfo(set.Get(), i, &data); ++i) {
        wchar_t ids[2048] = {};
        if (!SetupDiGetDeviceRegistryPropertyW(set.Get(), &data, SPDRP_HARDWAREID, nullptr,
                                               reinterpret_cast<BYTE*>(ids), sizeof(ids) - 4, nullptr))
            continue;
        for (const wchar_t* id = ids; *id; id += wcslen(id) + 1) {
            if (_wcsicmp(id, hardwareId.c_str()) == 0 && SetupDiRemoveDevice(set.Get(), &data)) {
                ++removed;
                break;
            }
        }
    }
    return removed;
}

// A device INF of the image class whose one model has this hardware ID.
std::wstring DeviceInf(const std::wstring& hardwareId, bool signature = true)
{
    return std::wstring(L"[Version]\n") + (signature ? L"Signature=\"$Windows NT$\"\n" : L"") +
           L"Class=Image\nClassGUID={6bdd1fc6-810f-11d0-bec7-08002be2092f}\nProvider=%Maker%\n"
           L"DriverVer=12/08/2026,1.0.0.0\n\n"
           L"[Manufacturer]\n%Maker%=Maker,NTx86,NTamd64\n\n"
           L"[Maker.NTx86]\n%Camera%=CameraInstall," +
           hardwareId + L"\n\n[Maker.NTamd64]\n%Camera%=CameraInstall," + hardwareId +
           L"\n\n[CameraInstall]\n\n[CameraInstall.Services]\nAddService=,2\n\n"
           L"[Strings]\nMaker=\"Test maker\"\nCamera=\"Test camera\"\n";
}

class DriverSetup : public testing::Test {
protected:
    std::wstring WriteInf(const std::wstring& relative, const std::wstring& text, Encoding encoding = Encoding::Utf16)
    {
        folder_.Write(relative, Encode(text, encoding));
        return relative;
    }

    testing_support::ScratchFolder folder_{L"driver_setup"};
    testing_support::MessageBoxRecorder boxes_;
};

TEST(DriverDeviceInfoSet, KeepsTheLastErrorAcrossItsDestruction)
{
    DeviceInfoSet set(SetupDiGetClassDevsW(nullptr, nullptr, nullptr, DIGCF_ALLCLASSES | DIGCF_PRESENT));
    ASSERT_TRUE(set.Valid());
    SetLastError(ERROR_FILE_CORRUPT);
    set.Reset();
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_CORRUPT));
}

TEST_F(DriverSetup, ADeviceWineListsIsFoundPresentThroughTheInfInBothEncodings)
{
    std::wstring deviceId = PresentHidId();
    ASSERT_FALSE(deviceId.empty()) << "Wine lists no HID device";
    // The INF names the device without its last "&" part, as a revision-free ID would.
    size_t cut = deviceId.rfind(L'&');
    std::wstring infId = cut != std::wstring::npos && cut > 4 ? deviceId.substr(0, cut) : deviceId;

    for (Encoding encoding : {Encoding::Utf16, Encoding::Ansi}) {
        std::wstring inf = WriteInf(L"Drivers\\present.inf", DeviceInf(infId), encoding);
        CDlgBruthDriverSetup setup;
        EXPECT_TRUE(setup.IsDevicePresent(inf)) << testing_support::EncodingName(encoding);
        EXPECT_EQ(setup.HardwareId(), deviceId);
        EXPECT_EQ(setup.InfPath(), inf);
    }
    EXPECT_TRUE(CDriverSetupHelper().IsHardwareIdPresent(deviceId));
    std::wstring lower = deviceId;
    for (wchar_t& ch : lower) ch = static_cast<wchar_t>(towlower(ch));
    EXPECT_TRUE(CDriverSetupHelper().IsHardwareIdPresent(lower));
    EXPECT_TRUE(boxes_.calls.empty());
}

TEST_F(DriverSetup, AnAbsentIdIsInstalledAsANewRootDeviceWithTheFirstId)
{
    const std::wstring first = L"USB\\VID_FFFF&PID_7E51";
    const std::wstring second = L"USB\\VID_FFFF&PID_7E52";
    RemoveDevicesWithId(first);
    RemoveDevicesWithId(second);
    std::wstring text = DeviceInf(first);
    text.replace(text.find(L"\n\n[Maker.NTamd64]"), 0, L"\n%Camera%=CameraInstall," + second);
    std::wstring inf = WriteInf(L"Drivers\\X86\\oem10.inf", text);

    CDlgBruthDriverSetup setup;
    EXPECT_FALSE(setup.IsDevicePresent(inf));
    EXPECT_EQ(setup.HardwareId(), first);
    ASSERT_TRUE(setup.InstallFromInf(inf));

    std::vector<std::wstring> created;
    for (const Device& device : Devices(0)) {
        for (const std::wstring& id : device.hardwareIds) {
            if (id == first || id == second) created.push_back(device.instanceId + L" " + id);
        }
    }
    ASSERT_EQ(created.size(), 1u);
    EXPECT_EQ(created[0].compare(0, 11, L"ROOT\\IMAGE\\"), 0) << testing::PrintToString(created[0]);
    EXPECT_NE(created[0].find(first), std::wstring::npos);
    EXPECT_TRUE(boxes_.calls.empty());

    EXPECT_EQ(RemoveDevicesWithId(first), 1);
}

TEST_F(DriverSetup, MissingFilesAreToldOrQuietAsEachStepSays)
{
    CDlgBruthDriverSetup setup;
    EXPECT_FALSE(setup.IsDevicePresent(L"Drivers\\X86\\oem10.inf"));
    EXPECT_FALSE(setup.ScanInf(L"Drivers\\X86\\oem10.inf"));
    EXPECT_FALSE(setup.Install());
    EXPECT_TRUE(boxes_.calls.empty());

    EXPECT_FALSE(setup.InstallFromInf(L"Drivers\\X86\\oem10.inf"));
    EXPECT_FALSE(setup.InstallFromInf(L""));
    EXPECT_FALSE(CDriverSetupHelper().UpdateOrCreateDevice(L"Drivers\\gone.inf", L"USB\\VID_FFFF&PID_7E51", nullptr));
    ASSERT_EQ(boxes_.calls.size(), 3u);
    EXPECT_EQ(boxes_.calls[0].text, L"没有找到安装驱动程序，请检查您的安装包!");
    EXPECT_EQ(boxes_.calls[1].text, L"没有找到安装驱动程序，请检查您的安装包!");
    EXPECT_EQ(boxes_.calls[2].text, L"找不到文件：Drivers\\gone.inf");
    for (const kit::MessageBoxCall& call : boxes_.calls) {
        EXPECT_EQ(call.caption, L"提示");
        EXPECT_EQ(call.owner, nullptr);
        EXPECT_EQ(call.type, static_cast<UINT>(MB_OK));
    }
}

// The INF goes between the scan and the installation.
TEST_F(DriverSetup, AnInstallationWhoseInfWentIsToldAsFailed)
{
    std::wstring deviceId = PresentHidId();
    ASSERT_FALSE(deviceId.empty()) << "Wine lists no HID device";
    std::wstring inf = WriteInf(L"Drivers\\gone.inf", DeviceInf(deviceId));
    CDlgBruthDriverSetup setup;
    ASSERT_TRUE(setup.ScanInf(inf));
    ASSERT_EQ(setup.HardwareId(), deviceId);
    ASSERT_TRUE(DeleteFileW(inf.c_str()));
    EXPECT_FALSE(setup.Install());
    ASSERT_EQ(boxes_.calls.size(), 2u);
    EXPECT_EQ(boxes_.calls[0].text, L"找不到文件：Drivers\\gone.inf");
    EXPECT_EQ(boxes_.calls[1].text, L"安装驱动失败!");
}

TEST_F(DriverSetup, AnInfWithoutAClassCannotBeScanned)
{
    std::wstring inf = WriteInf(L"Drivers\\unsigned.inf", DeviceInf(L"USB\\VID_FFFF&PID_7E53", false));
    CDlgBruthDriverSetup setup;
    EXPECT_FALSE(setup.ScanInf(inf));
    EXPECT_FALSE(setup.InstallFromInf(inf));
    ASSERT_EQ(boxes_.calls.size(), 2u);
    EXPECT_EQ(boxes_.calls[0].text, L"打开文件Drivers\\unsigned.inf失败！");
    EXPECT_EQ(boxes_.calls[1].text, L"打开文件Drivers\\unsigned.inf失败！");
    EXPECT_EQ(RemoveDevicesWithId(L"USB\\VID_FFFF&PID_7E53"), 0);
}

// An INF whose every entry is undecorated serves no device and installs nothing.
TEST_F(DriverSetup, AnInfWithoutModelIdsInstallsNothing)
{
    std::wstring text = DeviceInf(L"USB\\VID_FFFF&PID_7E54");
    text.replace(text.find(L"Maker,NTx86,NTamd64"), 19, L"Maker");
    std::wstring inf = WriteInf(L"Drivers\\plain.inf", text);
    CDlgBruthDriverSetup setup;
    EXPECT_FALSE(setup.IsDevicePresent(inf));
    EXPECT_FALSE(setup.InstallFromInf(inf));
    EXPECT_TRUE(boxes_.calls.empty());
    EXPECT_EQ(RemoveDevicesWithId(L"USB\\VID_FFFF&PID_7E54"), 0);
}

// The installation's own INFs: one per system, each in its encoding, naming the same camera
// that Wine does not have, with a class that SetupAPI reads.
TEST(DriverStagedInfs, NameOneAbsentCameraForEachSystem)
{
    std::wstring stage = testing_support::ProgramFolder() + L"\\..\\stage\\";
    struct Staged {
        const wchar_t* relative;
        bool unicode;
    } const files[] = {{L"Drivers\\X86\\oem10.inf", true}, {L"Drivers\\X64\\oem26.inf", false}};
    testing_support::MessageBoxRecorder boxes;
    for (const Staged& file : files) {
        std::wstring path = stage + file.relative;
        DRIVER::CStdioFileEx text;
        EXPECT_EQ(text.IsFileUnicode(path), file.unicode);
        CInfFileHelper inf;
        ASSERT_TRUE(inf.Open(path));
        EXPECT_EQ(inf.FirstModelId(), L"USB\\VID_FFFF&PID_0C57");
        CDlgBruthDriverSetup setup;
        EXPECT_TRUE(setup.ScanInf(path));
        EXPECT_TRUE(setup.HardwareId().empty());
        EXPECT_FALSE(setup.IsDevicePresent(path));
    }
    EXPECT_TRUE(boxes.calls.empty());
}

}  // namespace
