#include "launcher/launcher_platform.h"

LauncherPlatform defaultLauncherPlatform() {
    LauncherPlatform platform;
#ifdef _WIN32
    platform.shortPath = shortPathNameA;
    platform.listDirectory = listDirectoryA;
    platform.shellOpen = shellExecuteRequestA;
    platform.toUtf8 = ansiToUtf8;
    platform.copyText = copyTextToClipboard;
    platform.showWindow = bringWindowToFront;
#endif
    // The host build has no shell: items keep their long paths and nothing is listed or opened.
    return platform;
}

ShellOpenRequest openRequestFor(const std::string &target) {
    static const std::string kControlPanel = "control.exe ";
    ShellOpenRequest request;
    if (target.compare(0, kControlPanel.size(), kControlPanel) == 0) {
        request.file = kControlPanel.substr(0, kControlPanel.size() - 1);
        request.parameters = target.substr(kControlPanel.size());
    } else {
        request.file = target;
    }
    return request;
}
