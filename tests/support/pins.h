// What fixed-seed random tests draw, pinned trial by trial: tests/pins/NAME.txt
// holds one hash per trial, so that a change names the first trial that draws
// otherwise and writes that trial's input to NAME-trial-N.txt in the working
// directory. Running the tests with VANTIR_RECORD_PINS=1 set writes the files
// instead of reading them: a deliberate change is pinned anew.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <string>
#include <vector>

class TrialPins {
public:
    explicit TrialPins(const std::string& name) : name_(name), path_(VANTIR_SOURCE_DIR "/tests/pins/" + name + ".txt") {
        std::ifstream in(path_);
        for (std::uint64_t hash; in >> std::hex >> hash;) pinned_.push_back(hash);
    }
    ~TrialPins() {
        if (recording_) {
            std::ofstream out(path_);
            for (std::uint64_t hash : hashes_) out << std::hex << std::setw(16) << std::setfill('0') << hash << '\n';
            if (!out) ADD_FAILURE() << "cannot write " << path_;
        } else if (!::testing::Test::HasFailure() && hashes_.size() != pinned_.size()) {
            ADD_FAILURE() << path_ << " pins " << pinned_.size() << " trials, the test ran " << hashes_.size();
        }
    }

    // The next trial's hash against its pin. The first that differs fails,
    // naming the trial, writes input() as its reproducer and answers false.
    template <typename Input>
    bool check(std::uint64_t hash, Input input) {
        const std::size_t trial = hashes_.size();
        hashes_.push_back(hash);
        if (recording_ || (trial < pinned_.size() && pinned_[trial] == hash)) return true;
        const auto file = std::filesystem::absolute(name_ + "-trial-" + std::to_string(trial) + ".txt");
        std::ofstream(file) << input();
        ADD_FAILURE() << name_ << ": trial " << trial << " draws otherwise than when recorded; its input is in " << file;
        return false;
    }

private:
    std::string name_, path_;
    bool recording_ = std::getenv("VANTIR_RECORD_PINS") != nullptr;
    std::vector<std::uint64_t> pinned_, hashes_;
};
