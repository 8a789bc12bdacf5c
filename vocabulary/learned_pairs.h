#pragma once

#include <cstdint>
#include <map>
#include <string>

// The word pairs learned in one program: how often each word followed another there. Bound to a
// pair file beside the program's learned vocabulary, read when built and written back whole
// (through a temporary file) when destroyed, only when something changed.
//
// The pair file is text in the ANSI code page, one pair a line ending with CR LF:
//     <previous word in lower case> <following word as stored> <count>
// with single spaces, words of 1 to 47 bytes without spaces or control characters, a count from 1
// to 2147483647 in decimal, lines in byte order of the two words and each pair once. A file
// that breaks any of this is damaged: nothing of it is used and it is never written over.
//
// Not safe for concurrent use; the word store serialises calls under its lock.
class LearnedPairs {
public:
    using Followers = std::map<std::string, int32_t>;
    using Pairs = std::map<std::string, Followers>;

    // A missing file gives no pairs; an empty path gives no pairs and no file.
    explicit LearnedPairs(const std::string &path);
    ~LearnedPairs();
    LearnedPairs(const LearnedPairs &) = delete;
    LearnedPairs &operator=(const LearnedPairs &) = delete;

    // An empty path unbinds the file, so that nothing is written.
    void setPath(const std::string &path) { path_ = path; }
    const std::string &path() const { return path_; }
    // The file was there but could not be read whole or is damaged: it is kept as it is.
    bool refusesWriteBack() const { return damaged_ && !path_.empty(); }

    // One more time word followed previous (lower case); false when either cannot be stored.
    bool add(const std::string &previous, const std::string &word);
    // Forgets every pair in which word is the following word, or (in lower case) the previous.
    void forgetWord(const std::string &word);
    // The words learned after previous, with their counts; null when none.
    const Followers *followersOf(const std::string &previous) const;
    // How many pairs begin with previous, saturating.
    int64_t timesFollowed(const std::string &previous) const;
    // Writes the file when something changed; false when writing failed (reported on stderr).
    bool save();

    // The pairs of a file's contents; false when the contents are damaged.
    static bool parse(const std::string &contents, Pairs &out);
    static std::string format(const Pairs &pairs);
    static bool isStorableWord(const std::string &word);

    static const int kLongestWord = 47;

private:
    std::string path_;
    Pairs pairs_;
    bool damaged_ = false;
    bool changed_ = false;
};
