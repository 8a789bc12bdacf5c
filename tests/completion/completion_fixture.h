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
        // Each erased character shows as a Backspace among the typed ones, in their order.
        seams_.eraseTyped = [this](int count) { imeChars_.append(static_cast<std::size_t>(count), '\b'); };
        seams_.sendChar = [this](int key, long flags) { chars_.push_back({key, flags}); };
        seams_.replayEnter = [this]() { ++enters_; };
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

    void key(int k, long flags = 0x1E0001) { EXPECT_EQ(handleKey(*store_, *settings_, seams_, k, flags), 1); }
    void type(const std::string &letters) {
        for (char ch : letters)
            key(static_cast<unsigned char>(ch));
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

    struct SentChar {
        int key;
        long flags;
    };

    ScratchFolder scratch_; // before the store and settings, which write into it when destroyed
    const std::filesystem::path &folder_ = scratch_.folder();
    std::unique_ptr<WordStore> store_;
    std::unique_ptr<Settings> settings_;
    KeyHandlerSeams seams_;
    std::string program_ = kProgram, programPath_ = kProgramPath;
    std::string imeChars_;
    std::vector<SentChar> chars_;
    int enters_ = 0, placements_ = 0;
    bool shown_ = false;
};
