#include "plugin/HostBridge.h"

#include "plugin/BridgePorts.h"

namespace tabulix {

THostBridge::THostBridge() {
    static TBridgeViewerHost viewerHost;
    ViewerHost = &viewerHost;
}

THostBridge& Bridge() {
    // Never destroyed: at process exit the host's windows are going anyway, and destroying viewers then
    // (timers, windows, messages into the host) would run under the loader lock. An explicit unload and
    // nbMessage 2 free the viewers instead.
    static THostBridge* const bridge = new THostBridge;
    return *bridge;
}

void FreeViewerRegistry() {
    std::unique_ptr<TViewerRegistry> registry = std::move(Bridge().ViewerRegistry);
    registry.reset();
}

} // namespace tabulix
