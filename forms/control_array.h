// A control array: controls of one kind that share a name and are told apart
// by an index, as lbl_BGM(0) .. lbl_BGM(2). Elements are loaded and unloaded
// one by one; indices need not start at 0 or follow each other.
//
// The array holds its elements by value in index order. Element addresses
// stay valid until that element is unloaded, so a window procedure may keep
// a pointer to its own control. Hold a std::unique_ptr or a plain pointer as
// the element type where the array must not own the control.
#pragma once
#include <cstddef>
#include <cstdint>
#include <map>
#include <utility>

// The form engine's indices are 16-bit and never negative.
constexpr std::int32_t kMaxControlIndex = 32767;

template <class Control>
class ControlArray {
    using Elements = std::map<std::int32_t, Control>;

public:
    using iterator = typename Elements::iterator;
    using const_iterator = typename Elements::const_iterator;

    // Constructs the element at index from args. Null, and nothing built,
    // when the index is taken or outside 0 .. kMaxControlIndex.
    template <class... Args>
    Control* Load(std::int32_t index, Args&&... args) {
        if (!ValidIndex(index) || elements_.contains(index)) return nullptr;
        return &elements_.try_emplace(index, std::forward<Args>(args)...).first->second;
    }

    // Destroys the element at index; false when there is none. The element is
    // taken out first and destroyed after, so a destructor that looks at or
    // unloads other elements of this array finds it consistent.
    bool Unload(std::int32_t index) {
        auto node = elements_.extract(index);
        return !node.empty();
    }

    // The element at index, or null when none is loaded there.
    Control* Get(std::int32_t index) {
        const auto it = elements_.find(index);
        return it == elements_.end() ? nullptr : &it->second;
    }
    const Control* Get(std::int32_t index) const {
        const auto it = elements_.find(index);
        return it == elements_.end() ? nullptr : &it->second;
    }
    Control* operator()(std::int32_t index) { return Get(index); }
    const Control* operator()(std::int32_t index) const { return Get(index); }
    bool Contains(std::int32_t index) const { return elements_.contains(index); }

    std::size_t Count() const { return elements_.size(); }
    bool Empty() const { return elements_.empty(); }
    // Lowest and highest loaded index. An empty array gives 0 and -1, so a
    // loop from LBound to UBound runs no times.
    std::int32_t LBound() const { return elements_.empty() ? 0 : elements_.begin()->first; }
    std::int32_t UBound() const { return elements_.empty() ? -1 : elements_.rbegin()->first; }

    // (index, control) pairs in index order. Unloading an element ends only
    // that element's iterator: for (it = begin(); it != end();) stays safe
    // when it first steps and then unloads the index it left.
    iterator begin() { return elements_.begin(); }
    iterator end() { return elements_.end(); }
    const_iterator begin() const { return elements_.begin(); }
    const_iterator end() const { return elements_.end(); }

private:
    static bool ValidIndex(std::int32_t index) { return index >= 0 && index <= kMaxControlIndex; }

    Elements elements_;
};
