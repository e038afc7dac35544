#pragma once
// The touch state: mirrors the output mode and blob settings of the current device's
// tracker file and the touch settings of the configuration, owns one smoothing
// processor per blob slot and the windows registered for multi-point input. The
// tracker and the touch simulator deliver the points themselves.
#include <windows.h>

#include <vector>

#include "core/touch/CMouseEvent.h"
#include "core/touch/CPointF.h"
#include "core/touch/CSmoothingProcesser.h"

class TouchManager {
public:
    // Reads the tracker file of the current device type and the configuration, and
    // becomes the current touch state.
    TouchManager();
    ~TouchManager();
    TouchManager(const TouchManager&) = delete;
    TouchManager& operator=(const TouchManager&) = delete;

    // The library's own, built once when it loads (after the device type is known).
    static TouchManager& CreateLibraryInstance();
    // The touch state last built and still alive; null before the library's is built.
    static TouchManager* Current();

    // Discards the processors and makes `blobCapacity` fresh ones at `smoothingLevel`.
    void RebuildProcessors();
    // Reads the blob limit of the current device's tracker file again, then rebuilds.
    void ReloadBlobCapacity();

    // The output choices of the settings page. All but UDP stop Windows 7 touch mode.
    void SelectMouseOutput();
    void SelectUdpOutput();
    void SelectTcpOutput();
    void SelectMultiPointOutput();
    // The settings page's Windows 7 touch box (the page checks the platform first and
    // writes the tracker file afterwards): on starts the simulator and selects UDP.
    void SwitchWindows7Touch(bool on);
    // For other programs: start the simulator and send the points over the network.
    void SetWin7TouchMode();

    // 0 none, 1 keep the point with the largest x, 2 the smallest x.
    void SetFilterWay(int way);

    // Only while multi-point output is on; a window is held once.
    void RegisterTouchWindow(HWND window);
    void UnregisterTouchWindow(HWND window);

    int win7TouchMode = 0;
    int networkOutput = 0;      // UDP or TCP
    int multiPointOutput = 0;   // points go to the registered windows
    CMouseEvent mouseEvent;
    int filterWay = 0;
    std::vector<CSmoothingProcesser> processors;
    int blobCapacity = 0;       // the tracker's blob limit, low byte
    int smoothingLevel = 0;
    std::vector<HWND> touchWindows;
    bool rightClick = true;
    int sendSocket = 0;
    CPointF lastPoint;
    double samePointSeconds = 0.0;

private:
    void StopWindows7Touch();

    static TouchManager* current_;
};
