#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

#include "platform/ExecutablePath.h"
#include "platform/ManualResetEvent.h"
#include "platform/NativePath.h"
#include "platform/Process.h"
#include "platform/TextEncoding.h"
#include "platform/TickCount.h"
#include "platform/VersionResource.h"
#include "tests/support/TempDir.h"

using namespace std::chrono_literals;

namespace {

TEST(ManualResetEvent, TimedWaitEndsAtItsBoundOrWhenAnotherThreadSetsIt) {
    platform::ManualResetEvent event;
    auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(event.Wait(80));
    EXPECT_GE(std::chrono::steady_clock::now() - start, 80ms);

    std::thread setter([&] {
        std::this_thread::sleep_for(30ms);
        event.Set();
    });
    EXPECT_TRUE(event.Wait(5000));
    setter.join();
    // Manual reset: it stays signalled for every later waiter until reset.
    EXPECT_TRUE(event.Wait(0));
    EXPECT_TRUE(event.Wait());
    event.Reset();
    EXPECT_FALSE(event.IsSet());
    EXPECT_FALSE(event.Wait(0));
}

TEST(TickCount, CountsMillisecondsForward) {
    std::uint32_t first = platform::GetTickCount();
    std::this_thread::sleep_for(50ms);
    std::uint32_t elapsed = platform::GetTickCount() - first;  // wrap-safe
    EXPECT_GE(elapsed, 45u);
    EXPECT_LT(elapsed, 5000u);
}

TEST(TextEncoding, ConvertsBetweenUtf8AndGbk) {
    struct Case {
        std::string utf8;
        std::string gbk;
    } cases[] = {
        {"", ""},
        {"abc 1+2&x", "abc 1+2&x"},
        {"中文", "\xD6\xD0\xCE\xC4"},
        {"Talvane微端", "Talvane\xCE\xA2\xB6\xCB"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(platform::Utf8ToGbk(c.utf8), c.gbk) << c.utf8;
        EXPECT_EQ(platform::GbkToUtf8(c.gbk), c.utf8) << c.utf8;
    }
}

TEST(TextEncoding, UnconvertibleTextBecomesQuestionMarksAndTheRestSurvives) {
    EXPECT_EQ(platform::Utf8ToGbk("a\xF0\x9F\x98\x80" "b"), "a?b");     // an emoji has no GBK form
    EXPECT_EQ(platform::Utf8ToGbk("a\xFF" "b\xE4"), "a?b?");            // stray and cut-off bytes
    EXPECT_EQ(platform::GbkToUtf8("x\xD6"), "x?");                       // lead byte without trail
    EXPECT_EQ(platform::GbkToUtf8("\xFF\xD6\xD0"), "?中");
}

TEST(NativePath, BothSeparatorsBecomeSlashes) {
    EXPECT_EQ(platform::NativePath("\\home\\ann/tlvc\\update/a.swf"), "/home/ann/tlvc/update/a.swf");
    EXPECT_EQ(platform::NativePath(""), "");
}

TEST(ExecutablePath, NamesThisProgramUnlessOverridden) {
    EXPECT_EQ(std::filesystem::path(platform::ExecutablePath()).filename(), "platform_tests");
    platform::OverrideExecutablePath("/opt/tlvc/Tlvc");
    EXPECT_EQ(platform::ExecutablePath(), "/opt/tlvc/Tlvc");
    platform::OverrideExecutablePath("");
    EXPECT_TRUE(std::filesystem::equivalent(platform::ExecutablePath(), "/proc/self/exe"));
}

TEST(Process, StartsWithTheExtendedEnvironmentAndArguments) {
    test::TempDir dir;
    auto out = dir / "out.txt";
    setenv("TLV_INHERITED", "kept", 1);
    setenv("INSTALLPATH", "old", 1);
    int pid = platform::StartProcess(
        "/bin/sh", {"-c", "printf '%s|%s|%s|%s' \"$INSTALLPATH\" \"$CALLPROCESSID\" \"$TLV_INHERITED\" \"$0\" > \"$OUT\"", "silence"},
        {{"INSTALLPATH", "/opt/tlv game/"}, {"CALLPROCESSID", "4242"}, {"OUT", out.string()}});
    ASSERT_GT(pid, 0);
    EXPECT_EQ(platform::WaitForProcess(pid), 0);
    EXPECT_EQ(dir.Read("out.txt"), "/opt/tlv game/|4242|kept|silence");

    EXPECT_EQ(platform::StartProcess((dir / "missing").string(), {}, {}), -1);
    dir.Write("plain.txt", "not a program");
    EXPECT_EQ(platform::StartProcess((dir / "plain.txt").string(), {}, {}), -1);
}

TEST(VersionResource, ReadsTheVersionTheClientCarries) {
    platform::ProductVersion version {};
    ASSERT_TRUE(platform::ReadProductVersion(TLVC_PATH, version));
    EXPECT_EQ(version, (platform::ProductVersion{1, 1, 6, 0}));

    test::TempDir dir;
    std::string junk(4096, '\x7f');
    junk.replace(0, 4, "\x7f" "ELF");
    for (const auto& file : {dir.Write("junk", junk), dir.Write("empty", ""), dir.Write("text", "hello")}) {
        EXPECT_FALSE(platform::ReadProductVersion(file.string(), version)) << file;
    }
    EXPECT_FALSE(platform::ReadProductVersion("/bin/sh", version));  // an executable without one
    EXPECT_FALSE(platform::ReadProductVersion((dir / "missing").string(), version));
}

}  // namespace
