#include "form_set.h"

bool FormSet::Register(FormKey form, Handlers handlers) {
    return forms_.try_emplace(form, Entry{std::move(handlers)}).second;
}

bool FormSet::IsUnloading(FormKey form) const {
    const auto it = forms_.find(form);
    return it != forms_.end() && it->second.unloading;
}

FormSet::UnloadResult FormSet::Unload(FormKey form) {
    auto it = forms_.find(form);
    if (it == forms_.end()) return UnloadResult::NotLoaded;
    if (it->second.unloading) return UnloadResult::AlreadyUnloading;
    it->second.unloading = true;
    // The handlers are moved out: they may load and unload other forms, and
    // this entry must not be touched again until they are done.
    const Handlers handlers = std::move(it->second.handlers);
    if (handlers.close) handlers.close();
    if (handlers.unload) handlers.unload();
    // Only this call removes the entry (Register refuses a key while it is
    // here), so the lookup finds it still.
    forms_.erase(form);
    if (forms_.empty() && onEmpty_) {
        const auto onEmpty = onEmpty_;  // may replace itself
        onEmpty();
    }
    return UnloadResult::Unloaded;
}
