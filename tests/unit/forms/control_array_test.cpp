#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "control_array.h"

namespace {
// Neither copyable nor movable, like a control that owns a window. Its
// destructor may unload a companion from the same array.
struct Label {
    Label(std::string caption, int* alive, ControlArray<Label>* array = nullptr, int companion = -1)
        : caption(std::move(caption)), alive(alive), array(array), companion(companion) {
        ++*alive;
    }
    ~Label() {
        --*alive;
        if (array) array->Unload(companion);
    }
    Label(const Label&) = delete;
    std::string caption;
    int* alive;
    ControlArray<Label>* array;
    int companion;
};
}  // namespace

TEST(ControlArray, IndicesWithGapsInOrderAndRefusedLoadsBuildNothing) {
    int alive = 0;
    ControlArray<Label> lbl;
    EXPECT_EQ(lbl.UBound() - lbl.LBound(), -1) << "an LBound..UBound loop over an empty array runs no times";
    Label* seven = lbl.Load(7, "seven", &alive);
    lbl.Load(3, "three", &alive);
    lbl.Load(5, "five", &alive);
    EXPECT_EQ(lbl.Load(5, "again", &alive), nullptr);
    EXPECT_EQ(lbl.Load(-1, "negative", &alive), nullptr);
    EXPECT_EQ(lbl.Load(kMaxControlIndex + 1, "too high", &alive), nullptr);
    EXPECT_EQ(alive, 3);
    EXPECT_EQ(lbl.LBound(), 3);
    EXPECT_EQ(lbl.UBound(), 7);
    EXPECT_EQ(lbl(7), seven) << "an element stays where it is while others are loaded";
    EXPECT_EQ(lbl(5)->caption, "five");
    EXPECT_EQ(lbl(4), nullptr);
    std::vector<std::string> order;
    for (const auto& [index, label] : lbl) order.push_back(std::to_string(index) + label.caption);
    EXPECT_EQ(order, (std::vector<std::string>{"3three", "5five", "7seven"}));
}

TEST(ControlArray, UnloadDestroysThatElementAndMayCascade) {
    int alive = 0;
    ControlArray<Label> lbl;
    lbl.Load(0, "takes 1 with it", &alive, &lbl, 1);
    lbl.Load(1, "companion", &alive);
    lbl.Load(2, "stays", &alive);
    EXPECT_TRUE(lbl.Unload(0));
    EXPECT_FALSE(lbl.Unload(0));
    EXPECT_EQ(alive, 1);
    EXPECT_EQ(lbl.LBound(), 2);
    EXPECT_NE(lbl.Load(0, "reloaded", &alive), nullptr);
}
