#include "launcher/launcher_platform.h"

LauncherPlatform defaultLauncherPlatform() {
    LauncherPlatform platform;
#ifdef _WIN32
    platform.shortPath = shortPathNameA;
    platform.listDirectory = listDirectoryA;
    platform.shellOpen = shellExecuteRequestA;
    platform.toUtf8 = ansiToUtf8;
#endif
    // The host build has no shell: items keep their long paths and nothing is listed or opened.
    return platform;
}
