// The decoding child: whatever happens in it, the parent gets a status it can
// report, and nothing the child prints reaches the console.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <vector>

#include "picture/isolated_decode.hpp"
#include "support/unit_console.hpp"

namespace pelmo {
namespace {

// Runs in the child, where a failed assertion would go unseen: a short write
// shows up in the parent as a failed decode instead.
void Send(int out, const DecodeResult& result) {
    ChildReply(out).Result(result);
}

// Two blocks of three columns, the top block first.
void SendsTwoBlocks(const DecodeRequest&, int out, std::uint64_t) {
    std::puts("library chatter on stdout");
    std::fputs("library chatter on stderr\n", stderr);
    std::fflush(nullptr);
    Send(out, {DecodeStatus::Ok, 3, 16});
    const std::uint8_t blocks[] = {0x10, 0x11, 0x12, 0x20, 0x21, 0x22};
    ChildReply(out).Bytes(blocks, sizeof blocks);
    Send(out, {DecodeStatus::Ok, 3, 16});
}

void Crashes(const DecodeRequest&, int, std::uint64_t) {
    ::raise(SIGSEGV);
}

void StopsHalfway(const DecodeRequest&, int out, std::uint64_t) {
    Send(out, {DecodeStatus::Ok, 4, 8});
    const std::uint8_t block[3] = {};
    ChildReply(out).Bytes(block, sizeof block);
}

void SaysNothing(const DecodeRequest&, int, std::uint64_t) {}

void CrashesAfterSending(const DecodeRequest&, int out, std::uint64_t) {
    Send(out, {DecodeStatus::Ok, 1, 8});
    const std::uint8_t block[1] = {};
    ChildReply(out).Bytes(block, sizeof block);
    ::abort();
}

void CrashesWhileReleasing(const DecodeRequest&, int out, std::uint64_t) {
    Send(out, {DecodeStatus::Ok, 1, 8});
    const std::uint8_t block[1] = {0x0F};
    ChildReply(out).Bytes(block, sizeof block);
    Send(out, {DecodeStatus::Ok, 1, 8});
    ::abort();
}

void AllocatesPastItsBudget(const DecodeRequest&, int out, std::uint64_t budget) {
    std::vector<std::uint8_t> huge(budget + (std::uint64_t{1} << 30), 1);  // throws bad_alloc
    Send(out, {DecodeStatus::Ok, 1, 8});
}

// A decoder caught in a loop, under the time limit it would be given.
void NeverEnds(const DecodeRequest&, int, std::uint64_t) {
    LimitDecoderTime(1);
    for (;;) {
        __asm__ volatile("" ::: "memory");  // a loop the compiler must keep
    }
}

// One that ignores the signal of its soft limit, as a library may: the hard
// limit a second above it ends the process all the same, long before the
// parent's deadline for its budget.
void NeverEndsIgnoringTheSignal(const DecodeRequest&, int out, std::uint64_t) {
    (void)ChildReply(out).Budget(20);
    LimitDecoderTime(1);
    ::signal(SIGXCPU, SIG_IGN);
    for (;;) {
        __asm__ volatile("" ::: "memory");
    }
}

void ClaimsTooManyPixels(const DecodeRequest&, int out, std::uint64_t) {
    Send(out, {DecodeStatus::Ok, 65536, 65536});
}

void ClaimsNoPages(const DecodeRequest&, int out, std::uint64_t) {
    DecodeResult none{DecodeStatus::Ok, 1, 8};
    none.pages = 0;
    Send(out, none);
    const std::uint8_t block[1] = {};
    ChildReply(out).Bytes(block, sizeof block);
    Send(out, none);
}

// A height that is no multiple of 8 cannot have been sent as blocks.
void SendsOkForABadHeight(const DecodeRequest&, int out, std::uint64_t) {
    Send(out, {DecodeStatus::Ok, 2, 12});
    const std::uint8_t block[2] = {};
    ChildReply(out).Bytes(block, sizeof block);
    Send(out, {DecodeStatus::Ok, 2, 12});
}

void ReportsBadHeight(const DecodeRequest&, int out, std::uint64_t) {
    Send(out, {DecodeStatus::BadHeight, 5, 12});
}

DecodeRequest Request(bool unflip = false, bool xorder = false) {
    DecodeRequest request{FIF_PNG, "x.png", ImgOptions()};
    request.options.unflip = unflip;
    request.options.xorder = xorder;
    return request;
}

// The blocks are placed as the options say, and what the child prints is
// never seen.
TEST(IsolatedDecode, BlocksArriveInPlaceAndChildOutputIsSilenced) {
    using Plane = std::vector<std::uint8_t>;
    const struct {
        bool unflip, xorder;
        Plane plane;
    } cases[] = {
        {false, false, {0x20, 0x10, 0x21, 0x11, 0x22, 0x12}},
        {true, false, {0x10, 0x20, 0x11, 0x21, 0x12, 0x22}},
        {false, true, {0x20, 0x21, 0x22, 0x10, 0x11, 0x12}},
        {true, true, {0x10, 0x11, 0x12, 0x20, 0x21, 0x22}},
    };
    for (const auto& c : cases) {
        Plane plane;
        DecodeResult result;
        const unit::ConsoleText console = unit::CaptureConsole([&] {
            result = RunDecoderIsolated(SendsTwoBlocks, Request(c.unflip, c.xorder), plane);
        });
        EXPECT_EQ(result.status, DecodeStatus::Ok);
        EXPECT_EQ(result.width, 3u);
        EXPECT_EQ(result.height, 16u);
        EXPECT_EQ(plane, c.plane) << "unflip " << c.unflip << ", xorder " << c.xorder;
        EXPECT_EQ(console.out, "");
        EXPECT_EQ(console.err, "");
    }
}

// Once the child has said that everything is there, what becomes of it while
// it releases its memory no longer matters to the conversion.
TEST(IsolatedDecode, ACompleteDeliveryStandsWhateverFollows) {
    std::vector<std::uint8_t> plane;
    ChildProcess finishing;
    const DecodeResult result =
        RunDecoderIsolated(CrashesWhileReleasing, Request(), plane, &finishing);
    EXPECT_EQ(result.status, DecodeStatus::Ok);
    EXPECT_EQ(plane, std::vector<std::uint8_t>{0x0F});
    EXPECT_FALSE(finishing.Wait());  // it did die by its signal, after the fact
}

TEST(IsolatedDecode, StatusesOtherThanOkPassThrough) {
    std::vector<std::uint8_t> plane{9};
    const DecodeResult result = RunDecoderIsolated(ReportsBadHeight, Request(), plane);
    EXPECT_EQ(result.status, DecodeStatus::BadHeight);
    EXPECT_EQ(result.height, 12u);
    EXPECT_EQ(plane, std::vector<std::uint8_t>{9});  // untouched
}

TEST(IsolatedDecode, AChildThatFailsInAnyWayReadsAsAFailedOpen) {
    const struct {
        const char* name;
        ChildDecoder decoder;
    } cases[] = {
        {"killed by a signal", Crashes},
        {"stops halfway through the blocks", StopsHalfway},
        {"exits without a word", SaysNothing},
        {"aborts after the blocks, before saying they are all there", CrashesAfterSending},
        {"allocates past its budget", AllocatesPastItsBudget},
        {"never ends, and is stopped by its time limit", NeverEnds},
        {"never ends and ignores the limit's signal", NeverEndsIgnoringTheSignal},
        {"claims more pixels than a map may hold", ClaimsTooManyPixels},
        {"claims a picture of no pages", ClaimsNoPages},
        {"claims to have sent blocks of a bad height", SendsOkForABadHeight},
    };
    // The processor time of the children waited for so far, in seconds: a
    // busy machine stretches their wall time, not this.
    const auto childSeconds = [] {
        rusage usage{};
        ::getrusage(RUSAGE_CHILDREN, &usage);
        return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec;
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::uint8_t> plane;
        const auto before = childSeconds();
        const DecodeResult result = RunDecoderIsolated(c.decoder, Request(), plane);
        EXPECT_EQ(result.status, DecodeStatus::OpenFailed);
        EXPECT_TRUE(plane.empty());
        // Stopped by its own limits, long before the parent's deadline.
        EXPECT_LT(childSeconds() - before, 5);
    }
}

}  // namespace
}  // namespace pelmo
