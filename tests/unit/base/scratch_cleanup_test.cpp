#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "real_files.h"
#include "scratch_cleanup.h"

namespace fs = std::filesystem;

namespace {
const std::string kSoTxt = "\xE3\x82\xBD.txt";  // "ソ.txt" in UTF-8: a name beyond ASCII

// Passes each step on to the real access, and makes another account's move
// just before step number `at`. Wine-like: a link is followed when opened, a
// link to a file looks like that file, and deleting it deletes that file.
class Intruder final : public ScratchFolderAccess {
public:
    Intruder(std::function<void()> move, int at, bool wineLike) : move_(std::move(move)), at_(at), wine_(wineLike) {}
    bool HoldFolder(const std::string& path) override {
        return Step(), real_.HoldFolder(wine_ ? fs::weakly_canonical(path).string() : path);
    }
    HandleFacts HeldFolderFacts() override { return Step(), real_.HeldFolderFacts(); }
    std::vector<std::string> HeldFolderNames() override { return Step(), real_.HeldFolderNames(); }
    bool OpenEntry(const std::string& name) override { return Step(), real_.OpenEntry(name); }
    HandleFacts EntryFacts() override {
        const HandleFacts facts = (Step(), real_.EntryFacts());
        return wine_ && facts.link ? HandleFacts{false, false, fs::weakly_canonical(facts.finalPath).string()} : facts;
    }
    bool DeleteEntry() override {
        const HandleFacts facts = (Step(), real_.EntryFacts());
        return wine_ && facts.link ? fs::remove(fs::weakly_canonical(facts.finalPath)) : real_.DeleteEntry();
    }
    void CloseEntry() override { Step(), real_.CloseEntry(); }
    bool DeleteHeldFolder() override { return Step(), real_.DeleteHeldFolder(); }
    void ReleaseFolder() override { Step(), real_.ReleaseFolder(); }

private:
    void Step() {
        if (steps_++ == at_) move_();
    }
    ScratchFolderAccess& real_ = SystemScratchFolderAccess();
    std::function<void()> move_;
    int steps_ = 0, at_;
    bool wine_;
};
}  // namespace

TEST_F(RealFiles, ScratchCleanupTouchesNothingOutsideWhateverBecomesALinkAndWhen) {
    constexpr int kSteps = 13;  // hold, facts, names, 4 per file, the folder's delete, release
    int row = 0;
    for (const std::string move : {"none", "folder", "files"})
        for (const bool wineLike : {false, true})
            for (int at = 0; at <= kSteps; ++at) {
                const std::string root = fs::canonical(folder).string() + "/" + std::to_string(row++);
                const std::string scratch = root + "/q_vesk", outside = root + "/outside";
                fs::create_directories(scratch);
                fs::create_directories(outside);
                for (const std::string& name : {std::string("Nimbel.bmp"), kSoTxt}) {
                    Put(scratch + "/" + name, "scratch");
                    Put(outside + "/" + name, "precious");
                }
                const std::function<void()> moves[] = {[] {},
                                                       [&] {
                                                           if (!fs::exists(scratch)) return;
                                                           fs::rename(scratch, root + "/moved");
                                                           fs::create_directory_symlink(outside, scratch);
                                                       },
                                                       [&] {
                                                           if (!fs::exists(scratch)) return;
                                                           for (const auto& entry : fs::directory_iterator(outside)) {
                                                               const fs::path planted =
                                                                   scratch / entry.path().filename();
                                                               if (fs::is_regular_file(fs::symlink_status(planted)))
                                                                   fs::remove(planted);
                                                               fs::create_symlink(entry.path(), planted);
                                                           }
                                                       }};
                Intruder intruder(moves[move == "none" ? 0 : move == "folder" ? 1 : 2], at, wineLike);
                const ScratchCleanup done = ClearScratchFolder(intruder, scratch);
                const std::string where = move + " before step " + std::to_string(at) + (wineLike ? ", Wine-like" : "");
                for (const std::string& name : {std::string("Nimbel.bmp"), kSoTxt})
                    EXPECT_EQ(Slurp(outside + "/" + name), "precious") << where;
                if (move == "none") {
                    EXPECT_EQ(done.deleted, 2) << where;
                    EXPECT_TRUE(done.folderRemoved && !fs::exists(fs::symlink_status(scratch))) << where;
                }
            }
}
