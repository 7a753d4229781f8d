#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "form_set.h"

namespace {
struct Fixture {
    int run = 0, preview = 0, dialog = 0;  // their addresses name the forms
    std::vector<std::string> log;
    FormSet forms{[this] { log.push_back("empty"); }};
    FormSet::Handlers Logging(std::string name) {
        return {[this, name] { log.push_back(name + ".close"); }, [this, name] { log.push_back(name + ".unload"); }};
    }
};
using R = FormSet::UnloadResult;
}  // namespace

TEST(FormSet, CloseThenUnloadThenEmptyOnlyAfterTheLastForm) {
    Fixture f;
    ASSERT_TRUE(f.forms.Register(&f.run, f.Logging("run")));
    ASSERT_TRUE(f.forms.Register(&f.dialog, {}));
    EXPECT_FALSE(f.forms.Register(&f.run, {}));
    EXPECT_EQ(f.forms.Unload(&f.dialog), R::Unloaded) << "empty handlers are fine";
    EXPECT_TRUE(f.log.empty());
    EXPECT_EQ(f.forms.Unload(&f.run), R::Unloaded);
    EXPECT_EQ(f.forms.Unload(&f.run), R::NotLoaded);
    EXPECT_EQ(f.log, (std::vector<std::string>{"run.close", "run.unload", "empty"}));
    f.forms.Register(&f.preview, {});
    f.forms.Unload(&f.preview);
    EXPECT_EQ(f.log.size(), 4u) << "every time the set becomes empty";
}

TEST(FormSet, AnUnloadFromItsOwnHandlersIsRefused) {
    Fixture f;
    std::vector<R> nested;
    auto again = [&] {
        EXPECT_TRUE(f.forms.IsLoaded(&f.run) && f.forms.IsUnloading(&f.run));
        EXPECT_FALSE(f.forms.Register(&f.run, {}));
        nested.push_back(f.forms.Unload(&f.run));
    };
    f.forms.Register(&f.run, {again, again});
    EXPECT_EQ(f.forms.Unload(&f.run), R::Unloaded);
    EXPECT_EQ(nested, std::vector<R>(2, R::AlreadyUnloading));
    EXPECT_EQ(f.log, std::vector<std::string>{"empty"});
}

TEST(FormSet, HandlersMayUnloadAndLoadOtherForms) {
    Fixture f;
    f.forms.Register(&f.preview, f.Logging("preview"));
    f.forms.Register(&f.dialog, {[&] { f.log.push_back("dialog.close"); }, [&] { f.forms.Unload(&f.preview); }});
    f.forms.Unload(&f.dialog);
    EXPECT_EQ(f.log, (std::vector<std::string>{"dialog.close", "preview.close", "preview.unload", "empty"}))
        << "empty once, after the dialog is gone too";

    f.log.clear();
    f.forms.Register(&f.dialog, {[&] { f.forms.Register(&f.run, {}); }, {}});
    f.forms.Unload(&f.dialog);
    EXPECT_TRUE(f.log.empty()) << "a form loaded by a handler keeps the process alive";
    EXPECT_TRUE(f.forms.IsLoaded(&f.run));
}
