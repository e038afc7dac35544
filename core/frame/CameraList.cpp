#include "core/frame/CameraList.h"

#include "core/text/ofxXmlSettings.h"

namespace tessaly {

const char kCameraListFile[] = "multiplexer_settings.xml";

namespace {

const char* const kFile = kCameraListFile;


// Without both levels the CAMERA elements would land beside them, outside the list.
bool EnterCameraList(ofxXmlSettings& file)
{
    if (!file.pushTag("MULTIPLEXER", 0)) return false;
    if (file.pushTag("CAMERAS", 0)) return true;
    file.popTag();
    return false;
}

}  // namespace

void LoadCameraList(std::vector<CameraEntry>& cameras)
{
    cameras.clear();
    ofxXmlSettings file;
    if (!file.loadFile(kFile) || !EnterCameraList(file)) return;
    const CameraEntry defaults;
    int count = file.getNumTags("CAMERA");
    for (int i = 0; i < count; ++i) {
        file.pushTag("CAMERA", i);
        CameraEntry camera;
        camera.type = file.getValue("TYPE", defaults.type, 0);
        camera.guid = file.getValue("GUID", defaults.guid, 0);
        camera.name = file.getValue("cameraname", defaults.name, 0);
        camera.used = file.getValue("USED", 1, 0) != 0;
        camera.index = file.getValue("INDEX", 1, 0);
        file.popTag();
        cameras.push_back(camera);
    }
    file.popTag();
    file.popTag();
}

bool SaveCameraList(const std::vector<CameraEntry>& cameras)
{
    ofxXmlSettings file;
    if (!file.loadFile(kFile) || !EnterCameraList(file)) return true;
    for (size_t i = 0; i < cameras.size(); ++i) {
        const CameraEntry& camera = cameras[i];
        int which = static_cast<int>(i);
        // Empties an existing i-th CAMERA, or appends one.
        file.setValue("CAMERA", std::string(), which);
        file.pushTag("CAMERA", which);
        file.setValue("GUID", camera.guid, 0);
        file.setValue("TYPE", camera.type, 0);
        file.setValue("INDEX", camera.index, 0);
        file.setValue("USED", camera.used ? 1 : 0, 0);
        file.setValue("cameraname", camera.name, 0);
        file.popTag();
    }
    file.saveFile(kFile);
    file.popTag();
    file.popTag();
    // The document's save does not say whether it wrote the file: what the file now holds does.
    std::vector<CameraEntry> written;
    LoadCameraList(written);
    if (written.size() < cameras.size()) return false;
    for (size_t i = 0; i < cameras.size(); ++i) {
        const CameraEntry &a = cameras[i], &b = written[i];
        if (a.index != b.index || a.name != b.name || a.type != b.type || a.guid != b.guid || a.used != b.used)
            return false;
    }
    return true;
}

}  // namespace tessaly
