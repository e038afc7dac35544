#pragma once
// The tracker's multi-camera file "multiplexer_settings.xml" (in the folder "data/"):
// MULTIPLEXER > CAMERAS > CAMERA*, each with TYPE, GUID, cameraname, USED and INDEX.
#include <string>
#include <vector>

namespace tessaly {

struct CameraEntry {
    int index = 1;
    std::string name = "nonename";
    std::string type = "NONE";
    std::string guid = "{00000000-0000-0000-0000-000000000000}";
    bool used = true;
};

// Empty when the file is missing or holds no camera list.
void LoadCameraList(std::vector<CameraEntry>& cameras);
extern const char kCameraListFile[];

// Rewrites the first cameras.size() CAMERA elements and keeps everything else of the
// file. A missing file is not created. False when the file could not be written.
bool SaveCameraList(const std::vector<CameraEntry>& cameras);

}  // namespace tessaly
