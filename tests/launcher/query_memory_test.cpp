#include "launcher/query_memory.h"

#include "support/scratch_folder.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <csignal>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace {

const std::string kKeyA = "0123456789abcdef0123456789abcdef";
const std::string kKeyB = "fedcba9876543210fedcba9876543210";
const std::string kHeader = "wordlark query memory 1\r\n";

TEST(QueryMemoryTest, NormalQueryLowersAndJoinsTheWordsByOneSpace) {
    EXPECT_EQ("note pad", QueryMemory::normalQuery("  NoTe--pad\\ "));
    EXPECT_EQ("a b", QueryMemory::normalQuery("a\tb\r\n"));
    EXPECT_EQ("caf\xc9", QueryMemory::normalQuery("CAF\xc9"));
    EXPECT_EQ("", QueryMemory::normalQuery("._-"));
}

TEST(QueryMemoryTest, LongestRememberedQueryThatBeginsTheQueryComesFirst) {
    QueryMemory memory;
    memory.remember("note", kKeyA, 10);
    memory.remember("notebook t", kKeyB, 11);
    memory.remember("", kKeyB, 12); // nothing to remember it by
    EXPECT_EQ((std::vector<std::string>{kKeyB, kKeyA}), memory.launchesFor("notebook tool"));
    EXPECT_EQ((std::vector<std::string>{kKeyA}), memory.launchesFor("notebook"));
    EXPECT_TRUE(memory.launchesFor("not").empty());
    memory.remember("note", kKeyB, 13); // a different launch replaces the first
    EXPECT_EQ((std::vector<std::string>{kKeyB}), memory.launchesFor("note"));
    EXPECT_EQ(2u, memory.entries().size());
}

TEST(QueryMemoryTest, SavesOldestFirstAndReadsBackTheSameBytes) {
    ScratchFolder folder;
    const std::string path = folder.path("wordlark.cmq");
    QueryMemory memory;
    memory.remember("zed", kKeyA, 1700000005);
    memory.remember("alpha beta", kKeyB, 1700000001);
    memory.remember("same second", kKeyA, 1700000005); // after "zed" among equal times
    memory.remember("caf\xe9", kKeyB, 0);
    ASSERT_TRUE(memory.save(path));
    const std::string bytes = readBytes(path);
    EXPECT_EQ(kHeader + "0\t" + kKeyB + "\tcaf\xe9\r\n1700000001\t" + kKeyB + "\talpha beta\r\n1700000005\t" + kKeyA +
                  "\tzed\r\n1700000005\t" + kKeyA + "\tsame second\r\n",
              bytes);
    QueryMemory loaded;
    ASSERT_EQ(QueryMemory::LoadResult::Loaded, loaded.load(path));
    EXPECT_EQ(memory.format(), loaded.format());
    ASSERT_TRUE(loaded.save(path));
    EXPECT_EQ(bytes, readBytes(path));
    // The order among equal times is kept too: the later line is the newer.
    loaded.remember("new", kKeyA, 1700000006);
    for (size_t i = 0; i < QueryMemory::kMaxQueries - 5; ++i)
        loaded.remember("q" + std::to_string(i), kKeyA, 1700000007);
    loaded.remember("one more", kKeyA, 1700000008);
    EXPECT_EQ(QueryMemory::kMaxQueries, loaded.entries().size());
    EXPECT_EQ(0u, loaded.entries().count("caf\xe9"));
    loaded.remember("two more", kKeyA, 1700000008);
    EXPECT_EQ(0u, loaded.entries().count("alpha beta"));
    loaded.remember("three more", kKeyA, 1700000008);
    EXPECT_EQ(0u, loaded.entries().count("zed"));
    EXPECT_EQ(1u, loaded.entries().count("same second"));

    QueryMemory missing;
    EXPECT_EQ(QueryMemory::LoadResult::Missing, missing.load(folder.path("absent.cmq")));
}

TEST(QueryMemoryTest, AnythingNotInTheWrittenFormIsDamagedAndChangesNothing) {
    const std::string line = "5\t" + kKeyA + "\tnote\r\n";
    const std::string damaged[] = {
        "",                                                  // not even the header
        "wordlark query memory 2\r\n",                       // another version
        kHeader + line.substr(0, line.size() - 2),           // the last line cut
        kHeader + "5\t" + kKeyA + "\tnote\n",                // a bare line feed
        kHeader + "5\t" + kKeyA + "\r\n",                    // no query
        kHeader + "5\t" + kKeyA + "\t\r\n",                  // an empty query
        kHeader + "5\t" + kKeyA + "\tNote\r\n",              // a query not in its remembered form
        kHeader + "5\t" + kKeyA + "\tnote  pad\r\n",         // two spaces
        kHeader + "5\t" + kKeyA + "\tno\tte\r\n",            // a tab in the query
        kHeader + "5\t" + kKeyA.substr(1) + "\tnote\r\n",    // a short key
        kHeader + "5\t" + "0123456789ABCDEF0123456789abcdef\tnote\r\n", // capitals in the key
        kHeader + "-5\t" + kKeyA + "\tnote\r\n",             // a negative time
        kHeader + "05\t" + kKeyA + "\tnote\r\n",             // a leading zero
        kHeader + "\t" + kKeyA + "\tnote\r\n",               // no time
        kHeader + "1234567890123456789\t" + kKeyA + "\tnote\r\n", // too long a time
        kHeader + line + line,                               // a query twice
        kHeader + "5\t" + kKeyA + "\t" + std::string(260, 'a') + "\r\n", // longer than can be typed
    };
    for (const std::string &bytes : damaged) {
        QueryMemory memory;
        memory.remember("kept", kKeyB, 1);
        EXPECT_FALSE(memory.parse(bytes)) << bytes;
        EXPECT_EQ(kHeader + "1\t" + kKeyB + "\tkept\r\n", memory.format()) << bytes;
    }
    QueryMemory empty;
    EXPECT_TRUE(empty.parse(kHeader));
    EXPECT_TRUE(empty.entries().empty());
}

#ifndef _WIN32
// A process killed at any moment of a save leaves the old file or the new one, never a mix or a cut
// one. The save is repeated in a child that is killed after ever longer waits, so the kills land
// before, during and after the write of the temporary file and its replacing the old one.
TEST(QueryMemoryTest, KillDuringSaveLeavesTheOldFileOrTheNew) {
    ScratchFolder folder;
    const std::string path = folder.path("wordlark.cmq");
    QueryMemory oldMemory, newMemory;
    for (size_t i = 0; i < QueryMemory::kMaxQueries; ++i) {
        oldMemory.remember("old query " + std::to_string(i), kKeyA, 1000 + int64_t(i));
        newMemory.remember("new query " + std::to_string(i), kKeyB, 2000 + int64_t(i));
    }
    const std::string oldBytes = oldMemory.format(), newBytes = newMemory.format();
    bool sawNew = false;
    for (int attempt = 0; attempt < 40; ++attempt) {
        ASSERT_TRUE(oldMemory.save(path));
        const pid_t child = fork();
        ASSERT_NE(-1, child);
        if (child == 0) {
            for (;;)
                newMemory.save(path);
        }
        usleep(useconds_t(attempt * 250));
        kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);
        const std::string bytes = readBytes(path);
        ASSERT_TRUE(bytes == oldBytes || bytes == newBytes) << "attempt " << attempt << ", " << bytes.size() << " bytes";
        sawNew = sawNew || bytes == newBytes;
        QueryMemory reread;
        EXPECT_EQ(QueryMemory::LoadResult::Loaded, reread.load(path));
    }
    EXPECT_TRUE(sawNew); // the child did get to replace the file
}
#endif

} // namespace
