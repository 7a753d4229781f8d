// The loaded forms of the process, for two rules of the form engine:
// - unloading a form runs its close handler, then its unload handler, and
//   only then is the form no longer loaded;
// - the process ends when no form is loaded.
// The Win32 layer registers each form when it loads it, asks Unload for every
// unload (its own Unload call, WM_CLOSE, log-off), destroys the window after
// Unload returns Unloaded, and ends the message loop from the empty handler.
//
// A handler may unload other forms, load new ones or ask for its own form's
// unload again (a close handler that unloads its form, a WM_CLOSE arriving
// while the window goes away): that last request is refused, so neither
// handler runs twice. Handlers must not throw.
#pragma once
#include <cstddef>
#include <functional>
#include <map>
#include <utility>

class FormSet {
public:
    // Any address that identifies the form, typically the form object itself.
    using FormKey = const void*;

    struct Handlers {
        std::function<void()> close;   // runs first; either may be empty
        std::function<void()> unload;  // runs second
    };

    enum class UnloadResult {
        Unloaded,          // both handlers ran; the form is no longer loaded
        NotLoaded,         // not registered (never loaded, or unloaded before)
        AlreadyUnloading,  // its handlers are running now; nothing was done
    };

    // onEmpty runs each time an Unload leaves no form loaded.
    explicit FormSet(std::function<void()> onEmpty = {}) : onEmpty_(std::move(onEmpty)) {}
    void SetEmptyHandler(std::function<void()> onEmpty) { onEmpty_ = std::move(onEmpty); }

    // Records the form as loaded; false, changing nothing, when it already is
    // (including while it is unloading).
    bool Register(FormKey form, Handlers handlers);

    // Close handler, unload handler, then the form leaves the set; the empty
    // handler follows when it was the last one.
    UnloadResult Unload(FormKey form);

    bool IsLoaded(FormKey form) const { return forms_.contains(form); }
    bool IsUnloading(FormKey form) const;
    // Forms loaded, those whose handlers are running included.
    std::size_t Count() const { return forms_.size(); }

private:
    struct Entry {
        Handlers handlers;
        bool unloading = false;
    };

    std::map<FormKey, Entry> forms_;
    std::function<void()> onEmpty_;
};
