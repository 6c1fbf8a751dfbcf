#pragma once

namespace tabulix {

// The viewers attached to Rectangles, by upper-cased Rectangle name. It owns every viewer; destroying
// it destroys them with their windows and workbooks, without saving. The viewer actions fill it.
class TViewerRegistry {
public:
    TViewerRegistry() = default;
    TViewerRegistry(const TViewerRegistry&) = delete;
    TViewerRegistry& operator=(const TViewerRegistry&) = delete;
};

} // namespace tabulix
