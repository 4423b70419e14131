#include "appstate.h"

#include "ivordalite.h"

#include <QLockFile>

namespace {
std::unique_ptr<AppState>& holder() {
    static std::unique_ptr<AppState> s;
    return s;
}
} // namespace

AppState& AppState::instance() {
    if (!holder())
        holder() = std::make_unique<AppState>();
    return *holder();
}

void AppState::reset() { holder() = std::make_unique<AppState>(); }

AppState::~AppState() = default;
