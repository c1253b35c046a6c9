// The decoding child: whatever happens in it, the parent gets a status it can
// report, and nothing the child prints reaches the console.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <vector>

#include "image/isolated_decode.hpp"
#include "support/unit_console.hpp"

namespace pelmo {
namespace {

// Runs in the child, where a failed assertion would go unseen: a short write
// shows up in the parent as a failed decode instead.
void Send(int out, const DecodeResult& result) {
    (void)!::write(out, &result, sizeof result);
}

void SendsTwoRows(FREE_IMAGE_FORMAT, const std::string&, int out, std::uint64_t) {
    std::puts("library chatter on stdout");
    std::fputs("library chatter on stderr\n", stderr);
    std::fflush(nullptr);
    Send(out, {DecodeStatus::Ok, 3, 2});
    const std::uint8_t tones[] = {0, 1, 2, 2, 1, 0};
    (void)!::write(out, tones, sizeof tones);
    Send(out, {DecodeStatus::Ok, 3, 2});
}

void Crashes(FREE_IMAGE_FORMAT, const std::string&, int, std::uint64_t) {
    ::raise(SIGSEGV);
}

void StopsHalfway(FREE_IMAGE_FORMAT, const std::string&, int out, std::uint64_t) {
    Send(out, {DecodeStatus::Ok, 4, 8});
    const std::uint8_t tones[16] = {};
    (void)!::write(out, tones, sizeof tones);
}

void SaysNothing(FREE_IMAGE_FORMAT, const std::string&, int, std::uint64_t) {}

void CrashesAfterSending(FREE_IMAGE_FORMAT, const std::string&, int out, std::uint64_t) {
    Send(out, {DecodeStatus::Ok, 1, 8});
    const std::uint8_t tones[8] = {};
    (void)!::write(out, tones, sizeof tones);
    ::abort();
}

void CrashesWhileReleasing(FREE_IMAGE_FORMAT, const std::string&, int out, std::uint64_t) {
    Send(out, {DecodeStatus::Ok, 1, 8});
    const std::uint8_t tones[8] = {2, 2, 2, 2, 1, 1, 0, 0};
    (void)!::write(out, tones, sizeof tones);
    Send(out, {DecodeStatus::Ok, 1, 8});
    ::abort();
}

void AllocatesPastItsBudget(FREE_IMAGE_FORMAT, const std::string&, int out, std::uint64_t budget) {
    std::vector<std::uint8_t> huge(budget + (std::uint64_t{1} << 30), 1);  // throws bad_alloc
    Send(out, {DecodeStatus::Ok, 1, 8});
}

void ClaimsTooManyPixels(FREE_IMAGE_FORMAT, const std::string&, int out, std::uint64_t) {
    Send(out, {DecodeStatus::Ok, 65536, 65536});
}

void ReportsBadHeight(FREE_IMAGE_FORMAT, const std::string&, int out, std::uint64_t) {
    Send(out, {DecodeStatus::BadHeight, 5, 12});
}

TEST(IsolatedDecode, TonesArriveAndChildOutputIsSilenced) {
    std::vector<std::uint8_t> tones;
    DecodeResult result;
    const unit::ConsoleText console = unit::CaptureConsole(
        [&] { result = RunDecoderIsolated(SendsTwoRows, FIF_PNG, "x.png", tones); });
    EXPECT_EQ(result.status, DecodeStatus::Ok);
    EXPECT_EQ(result.width, 3u);
    EXPECT_EQ(result.height, 2u);
    EXPECT_EQ(tones, (std::vector<std::uint8_t>{0, 1, 2, 2, 1, 0}));
    EXPECT_EQ(console.out, "");
    EXPECT_EQ(console.err, "");
}

// Once the child has said that everything is there, what becomes of it while
// it releases its memory no longer matters to the conversion.
TEST(IsolatedDecode, ACompleteDeliveryStandsWhateverFollows) {
    std::vector<std::uint8_t> tones;
    ChildProcess finishing;
    const DecodeResult result =
        RunDecoderIsolated(CrashesWhileReleasing, FIF_PNG, "x.png", tones, &finishing);
    EXPECT_EQ(result.status, DecodeStatus::Ok);
    EXPECT_EQ(tones, (std::vector<std::uint8_t>{2, 2, 2, 2, 1, 1, 0, 0}));
    EXPECT_FALSE(finishing.Wait());  // it did die by its signal, after the fact
}

TEST(IsolatedDecode, StatusesOtherThanOkPassThrough) {
    std::vector<std::uint8_t> tones{9};
    const DecodeResult result = RunDecoderIsolated(ReportsBadHeight, FIF_PNG, "x.png", tones);
    EXPECT_EQ(result.status, DecodeStatus::BadHeight);
    EXPECT_EQ(result.height, 12u);
    EXPECT_EQ(tones, std::vector<std::uint8_t>{9});  // untouched
}

TEST(IsolatedDecode, AChildThatFailsInAnyWayReadsAsAFailedOpen) {
    const struct {
        const char* name;
        ChildDecoder decoder;
    } cases[] = {
        {"killed by a signal", Crashes},
        {"stops halfway through the tones", StopsHalfway},
        {"exits without a word", SaysNothing},
        {"aborts after the tones, before saying they are all there", CrashesAfterSending},
        {"allocates past its budget", AllocatesPastItsBudget},
        {"claims more pixels than a map may hold", ClaimsTooManyPixels},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::uint8_t> tones;
        const DecodeResult result = RunDecoderIsolated(c.decoder, FIF_PNG, "x.png", tones);
        EXPECT_EQ(result.status, DecodeStatus::OpenFailed);
        EXPECT_TRUE(tones.empty());
    }
}

}  // namespace
}  // namespace pelmo
