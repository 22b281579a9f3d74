// The threads that read board files as the walk meets them: results in the
// order the paths came on any thread count, a failure thrown only once all
// work ended, and workers left unfinished (the walk threw) stopping cleanly.
#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <string>
#include <vector>

#include "HBOBoardFileWorkers.h"

using HBOBoardInternal::FileWorkers;

TEST(FileWorkers, ResultsComeInTheOrderPushedOnAnyThreadCount) {
    for (unsigned threads : {1u, 2u, 8u}) {
        FileWorkers<std::string> workers(threads, [](const std::string& path) { return path + "!"; });
        std::vector<std::string> expected;
        for (int i = 0; i < 500; ++i) {
            workers.push(std::to_string(i));
            expected.push_back(std::to_string(i) + "!");
        }
        EXPECT_EQ(workers.finish(), expected) << threads << " threads";
    }
}

TEST(FileWorkers, AFailureIsThrownOnceEveryPathIsDone) {
    std::atomic<int> done{0};
    FileWorkers<int> workers(4, [&done](const std::string& path) {
        if (path == "3" || path == "7") throw std::runtime_error("path " + path);
        return ++done;
    });
    for (int i = 0; i < 100; ++i) workers.push(std::to_string(i));
    try {
        workers.finish();
        ADD_FAILURE() << "finish() threw nothing";
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "path 3");  // the first in path order
    }
    EXPECT_EQ(done.load(), 98);
}

// As when the walk throws: no finish(), and the helpers must be stopped and
// joined rather than left waiting for more paths or destroyed while running.
TEST(FileWorkers, UnfinishedWorkersStopCleanly) {
    std::atomic<int> done{0};
    {
        FileWorkers<int> workers(4, [&done](const std::string&) { return ++done; });
        for (int i = 0; i < 1000; ++i) workers.push(std::to_string(i));
    }
}
