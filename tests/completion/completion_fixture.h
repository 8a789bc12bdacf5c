#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "completion/key_handler.h"
#include "config/settings.h"
#include "support/scratch_folder.h"
#include "vocabulary/word_store.h"

// A word store over a small base vocabulary, settings, and seams that record what the handler
// does to the desktop, all in a scratch folder that is the current directory meanwhile.
class CompletionFixture : public ::testing::Test {
protected:
    static constexpr const char *kProgram = "notepad.exe";
    static constexpr const char *kProgramPath = "C:\\windows\\notepad.exe";

    void SetUp() override {
        seams_.focusedProgram = [this](std::string &name, std::string &path) {
            name = program_;
            path = programPath_;
        };
        seams_.sendImeChar = [this](unsigned char ch) { imeChars_ += static_cast<char>(ch); };
        seams_.claimKey = [this]() {
            ++claims_;
            return claimGranted_;
        };
        seams_.followKey = [this]() { return followGranted_; };
        // Each erased character shows as a Backspace among the typed ones, in their order.
        seams_.eraseTyped = [this](int count) { imeChars_.append(static_cast<std::size_t>(count), '\b'); };
        seams_.hideList = [this]() { shown_ = false; };
        seams_.showListAtCaret = [this]() {
            shown_ = true;
            ++placements_;
        };
    }
    void TearDown() override {
        store_.reset();
        settings_.reset();
    }

    // english.voc lines "word count"; the store and settings are built over it.
    void start(const std::string &vocabulary) {
        writeBytes((folder_ / "english.voc").string(), vocabulary);
        store_ = std::make_unique<WordStore>((folder_ / "english.voc").string(), 25, 10);
        settings_ = std::make_unique<Settings>((folder_ / "wordlark.cfg").string());
    }
    void allowLearning() { settings_->putProgram(program_, programPath_, true); }

    // The handler's answer: kTaken when it acted in the user's place.
    int key(int k) { return handleKey(*store_, *settings_, seams_, k); }
    void type(const std::string &letters) {
        for (char ch : letters)
            EXPECT_EQ(key(static_cast<unsigned char>(ch)), kNotTaken); // the program types its letters
    }
    std::vector<std::string> words() const {
        std::vector<std::string> out;
        for (const suggestion &s : store_->suggestions())
            out.push_back(s.text);
        return out;
    }
    // Destroys the store and settings (which write and delete their files) and reads a file back.
    std::string shutDownAndRead(const std::string &name) {
        store_.reset();
        settings_.reset();
        return readBytes((folder_ / name).string());
    }

    ScratchFolder scratch_; // before the store and settings, which write into it when destroyed
    const std::filesystem::path &folder_ = scratch_.folder();
    std::unique_ptr<WordStore> store_;
    std::unique_ptr<Settings> settings_;
    KeyHandlerSeams seams_;
    std::string program_ = kProgram, programPath_ = kProgramPath;
    std::string imeChars_;
    int placements_ = 0;
    // Whether the claim on a key comes before the hook's give-up, and whether following a key the
    // program got is still to be done (not done before, for the same key).
    bool claimGranted_ = true;
    bool followGranted_ = true;
    int claims_ = 0;
    bool shown_ = false;
};
