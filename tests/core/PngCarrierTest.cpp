// PNG carriers: round trips over every accepted colour type and depth, interlaced or not,
// with the result decoded by a reader of the tests' own; every kept chunk byte for byte in
// its place; pictures written by other tools against their Pillow-decoded samples; hostile
// files; and hides that keep the original.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "core/CarrierAnalysis.h"
#include "core/ExtractPayload.h"
#include "core/HidePayload.h"
#include "core/PngSamples.h"
#include "fuzz/HiddenStream.h"
#include "support/TempDir.h"
#include "support/TestCarriers.h"
#include "support/TestPng.h"

namespace tarnwerk {
namespace {

using test::Bytes;
using test::png::Chunk;
using test::png::Picture;
namespace png = test::png;

Bytes Text(const std::string& text) { return Bytes(text.begin(), text.end()); }

Bytes Stream(const Bytes& data) { return fuzz::BuildStream({.checkValue = "", .extension = "dat", .data = data}); }

bool HasAlpha(uint8_t colourType) { return colourType == 4 || colourType == 6; }

// The carrier bytes (low byte of every colour sample) and all other bytes, in stored order.
void Split(const Picture& picture, Bytes& area, Bytes& rest) {
    const size_t sampleBytes = picture.bitDepth / 8;
    const auto channels = static_cast<size_t>(png::Channels(picture.colourType));
    area.clear();
    rest.clear();
    for (size_t at = 0, sample = 0; at < picture.samples.size(); at += sampleBytes, ++sample) {
        const bool alpha = HasAlpha(picture.colourType) && sample % channels == channels - 1;
        for (size_t k = 0; k + 1 < sampleBytes; ++k) rest.push_back(picture.samples[at + k]);
        (alpha ? rest : area).push_back(picture.samples[at + sampleBytes - 1]);
    }
}

// The chunks in order, each run of IDAT chunks as one empty IDAT.
std::vector<Chunk> Layout(const Bytes& file) {
    std::vector<Chunk> layout;
    for (Chunk& chunk : png::Chunks(file)) {
        if (chunk.type == "IDAT") {
            if (layout.empty() || layout.back().type != "IDAT") layout.push_back({"IDAT", {}});
            continue;
        }
        layout.push_back(std::move(chunk));
    }
    return layout;
}

Bytes Palette(size_t entries) { return test::RandomBytes(entries * 3, 5); }

// Ancillary chunks of every kind the format defines, plus private ones; the contents are not
// parsed by anyone, so plausible bytes suffice. "prVT" is unknown and unsafe to copy.
std::vector<Chunk> ChunksBefore(uint8_t colourType) {
    std::vector<Chunk> chunks = {{"gAMA", {0, 0, 0xB1, 0x8F}},
                                 {"cHRM", test::RandomBytes(32, 1)},
                                 {"iCCP", Text(std::string("profile\0\0", 9) + "xyz")},
                                 {"sBIT", {5, 6, 5}},
                                 {"prIv", Text("safe to copy")},
                                 {"prVT", Text("unsafe to copy")}};
    if (colourType == 3) chunks.push_back({"PLTE", Palette(256)});
    chunks.insert(chunks.end(), {{"bKGD", {0, 1}},
                                 {"pHYs", {0, 0, 0x0B, 0x13, 0, 0, 0x0B, 0x13, 1}},
                                 {"tEXt", Text(std::string("Title\0before", 12))},
                                 {"zTXt", Text(std::string("Note\0\0", 6) + "packed")},
                                 {"iTXt", Text(std::string("Titel\0\0\0de\0T\0", 14) + "\xC3\x9C")},
                                 {"eXIf", Text("MM\0*exif bytes")},
                                 {"tIME", {0x07, 0xEA, 12, 7, 18, 0, 0}}});
    return chunks;
}
const std::vector<Chunk> kChunksAfter = {{"tEXt", Text(std::string("Comment\0after", 13))}, {"laTe", Text("late")}};

std::vector<Chunk> WithoutUnsafeUnknown(std::vector<Chunk> layout) {
    std::erase_if(layout, [](const Chunk& chunk) { return chunk.type == "prVT"; });
    return layout;
}

class PngCarrierTest : public ::testing::Test {
protected:
    CarrierAnalysis Analyse(const std::string& name) { return AnalyseCarrier(dir_.File(name)); }
    PayloadSource Source(const Bytes& data) {
        test::WriteFile(dir_.File("payload"), data);
        return {dir_.File("payload"), static_cast<int64_t>(data.size()), false, false, 255, "", "dat"};
    }
    Bytes Extract(const std::string& name) {
        const auto analysis = Analyse(name);
        EXPECT_TRUE(analysis.accepted()) << name;
        const auto extracted = ExtractPayload(analysis.facts, 2, dir_.File("out"));
        EXPECT_TRUE(extracted.ok()) << name;
        return extracted ? test::ReadFile(dir_.File("out")) : Bytes{};
    }
    // The samples of after are those of before with the stream of data in the low bits.
    static void ExpectHidden(const Picture& before, const Picture& after, const Bytes& data, int bits) {
        ASSERT_EQ(std::tie(after.width, after.height, after.colourType, after.bitDepth, after.interlaced),
                  std::tie(before.width, before.height, before.colourType, before.bitDepth, before.interlaced));
        Bytes area, rest, areaAfter, restAfter;
        Split(before, area, rest);
        Split(after, areaAfter, restAfter);
        EXPECT_EQ(restAfter, rest) << "a sample changed beyond its low bits, or alpha changed";
        ASSERT_TRUE(fuzz::EmbedStream(area, 0, Stream(data), bits));
        EXPECT_EQ(areaAfter, area);
    }
    test::TempDir dir_;
};

struct Shape {
    uint8_t colourType, bitDepth;
    bool interlaced;
};
std::ostream& operator<<(std::ostream& out, const Shape& s) {
    return out << "type" << int{s.colourType} << "_" << int{s.bitDepth} << (s.interlaced ? "_adam7" : "");
}
class PngRoundTrip : public PngCarrierTest, public ::testing::WithParamInterface<Shape> {};

TEST_P(PngRoundTrip, HidesIntoTheLowBitsOnlyAndKeepsEveryChunkInPlace) {
    const Shape shape = GetParam();
    const Picture picture = png::RandomPicture(37, 23, shape.colourType, shape.bitDepth, shape.interlaced, 9);
    // Image data in several chunks, so the rewrite is seen to replace all of them.
    const Bytes original = png::Encode(picture, ChunksBefore(shape.colourType), kChunksAfter, 700);
    for (const int bits : {1, 2, 4}) {
        SCOPED_TRACE(bits);
        test::WriteFile(dir_.File("c.png"), original);
        const CarrierAnalysis analysis = Analyse("c.png");
        ASSERT_EQ(analysis.verdict, CarrierVerdict::Png);
        const int colour = png::Channels(shape.colourType) - (HasAlpha(shape.colourType) ? 1 : 0);
        EXPECT_EQ(analysis.facts.imageSize, 37 * 23 * colour);
        EXPECT_EQ(analysis.facts.bitCount, png::Channels(shape.colourType) * shape.bitDepth);

        // The room is the colour samples, alpha left out: whole stream bytes less markers, header
        // and reserve (34). One byte more is refused; the most the engine takes reaches the last row.
        const Bytes data = test::RandomBytes(static_cast<size_t>(analysis.facts.imageSize * bits / 8 - 34), 4);
        Bytes tooLarge = data;
        tooLarge.push_back(1);
        EXPECT_EQ(HidePayload(analysis.facts, bits, Source(tooLarge)).error().code, ErrorCode::PayloadTooLarge);
        EXPECT_EQ(test::ReadFile(dir_.File("c.png")), original);
        const Status hidden = HidePayload(analysis.facts, bits, Source(data));
        ASSERT_TRUE(hidden) << static_cast<int>(hidden.error().code);
        const Bytes result = test::ReadFile(dir_.File("c.png"));
        ExpectHidden(picture, png::Decode(result), data, bits);
        EXPECT_EQ(Layout(result), WithoutUnsafeUnknown(Layout(original)));
        EXPECT_EQ(Extract("c.png"), data);
        // Export: whole stream bytes of every carrier byte but the last.
        const auto exported = ExportPayload(analysis.facts, bits, dir_.File("stream"));
        ASSERT_TRUE(exported);
        EXPECT_EQ(*exported, (analysis.facts.imageSize - 1) * bits / 8);
        const Bytes stream = Stream(data), written = test::ReadFile(dir_.File("stream"));
        ASSERT_GE(written.size(), stream.size());
        EXPECT_TRUE(std::equal(stream.begin(), stream.end(), written.begin()));
    }
}

INSTANTIATE_TEST_SUITE_P(Shapes, PngRoundTrip,
                         ::testing::Values(Shape{0, 8, false}, Shape{0, 16, false}, Shape{2, 8, false},
                                           Shape{2, 16, false}, Shape{3, 8, false}, Shape{4, 8, false},
                                           Shape{4, 16, false}, Shape{6, 8, false}, Shape{6, 16, false},
                                           Shape{0, 8, true}, Shape{0, 16, true}, Shape{2, 8, true}, Shape{2, 16, true},
                                           Shape{3, 8, true}, Shape{4, 8, true}, Shape{4, 16, true}, Shape{6, 8, true},
                                           Shape{6, 16, true}),
                         [](const auto& row) {
                             std::ostringstream name;
                             name << row.param;
                             return name.str();
                         });

// Pictures written by ImageMagick, GraphicsMagick and Pillow (tests/data/png/make-samples.sh).
// Where Pillow reads a picture exactly, its decoded samples are the reference for both the
// original and the result; a hide never changes the original when it writes a new file.
TEST_F(PngCarrierTest, PicturesOfOtherToolsHideAndExtractAgainstPillowsSamples) {
    const std::filesystem::path folder = TARNWERK_PNG_DATA_DIR;
    int pictures = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (entry.path().extension() != ".png") continue;
        const std::string name = entry.path().filename();
        SCOPED_TRACE(name);
        ++pictures;
        const Bytes original = test::ReadFile(entry.path());
        test::WriteFile(dir_.File(name), original);
        Picture reference = png::Decode(original);
        const auto samples = std::filesystem::path(entry.path()).replace_extension(".samples");
        if (std::filesystem::exists(samples)) {
            EXPECT_EQ(reference.samples, test::ReadFile(samples)) << "the tests' reader disagrees with Pillow";
            reference.samples = test::ReadFile(samples);
        }
        const CarrierAnalysis analysis = Analyse(name);
        ASSERT_EQ(analysis.verdict, CarrierVerdict::Png);
        const Bytes data = test::RandomBytes(150, 8);
        const std::string result = "new-" + name;
        const Status hidden = HidePayload(analysis.facts, 2, Source(data), {}, dir_.File(result));
        EXPECT_EQ(test::ReadFile(dir_.File(name)), original);
        if (analysis.facts.shortColourTable) {  // ImageMagick's short grey palette
            EXPECT_EQ(hidden.error().code, ErrorCode::ShortColourTable);
            EXPECT_FALSE(std::filesystem::exists(dir_.File(result)));
            continue;
        }
        ASSERT_TRUE(hidden);
        const Bytes written = test::ReadFile(dir_.File(result));
        ExpectHidden(reference, png::Decode(written), data, 2);
        EXPECT_EQ(Layout(written), Layout(original));
        EXPECT_EQ(Extract(result), data);
    }
    EXPECT_EQ(pictures, 14);
}

// A file whose chunks are right but whose compressed image data ends early is accepted (the
// analysis does not decode), and then every reader and writer stops with an error.
TEST_F(PngCarrierTest, ImageDataThatEndsEarlyFailsWithoutChangingOrLeavingAnyFile) {
    const Picture picture = png::RandomPicture(300, 200, 2, 8, false, 2);
    Bytes file = png::Encode(picture);
    const std::vector<Chunk> chunks = png::Chunks(file);
    file.resize(8);
    for (Chunk chunk : chunks) {
        if (chunk.type == "IDAT") chunk.data.resize(chunk.data.size() / 2);
        const Bytes bytes = png::ChunkBytes(chunk);
        file.insert(file.end(), bytes.begin(), bytes.end());
    }
    test::WriteFile(dir_.File("c.png"), file);
    test::WriteFile(dir_.File("kept.png"), Bytes(5, 'k'));
    const CarrierAnalysis analysis = Analyse("c.png");
    ASSERT_EQ(analysis.verdict, CarrierVerdict::Png);
    const PayloadSource source = Source(test::RandomBytes(200, 1));
    for (const std::string& output : {std::string(), dir_.File("kept.png")}) {
        const Status hidden = HidePayload(analysis.facts, 1, source, {}, output);
        ASSERT_FALSE(hidden);
        EXPECT_EQ(hidden.error().code, ErrorCode::CorruptData);
    }
    EXPECT_EQ(ExportPayload(analysis.facts, 1, dir_.File("out")).error().code, ErrorCode::CorruptData);
    EXPECT_EQ(test::ReadFile(dir_.File("c.png")), file);
    EXPECT_EQ(test::ReadFile(dir_.File("kept.png")), Bytes(5, 'k'));
    EXPECT_EQ(dir_.Entries(), (std::vector<std::string>{"c.png", "kept.png", "payload"}));
}

// Another picture under the name since the analysis: its facts no longer hold.
TEST_F(PngCarrierTest, FactsOfAnotherPictureAreRefusedWithoutChangingIt) {
    test::WriteFile(dir_.File("c.png"), png::Encode(png::RandomPicture(300, 200, 2, 8, false, 2)));
    const CarrierFacts facts = Analyse("c.png").facts;
    const Bytes other = png::Encode(png::RandomPicture(300, 199, 2, 8, false, 2));
    test::WriteFile(dir_.File("c.png"), other);
    EXPECT_EQ(HidePayload(facts, 1, Source(test::RandomBytes(200, 1))).error().code, ErrorCode::CorruptData);
    EXPECT_EQ(test::ReadFile(dir_.File("c.png")), other);
    EXPECT_EQ(dir_.Entries(), (std::vector<std::string>{"c.png", "payload"}));
}

// Pictures that can be read but not hidden into: extraction still finds what they hold. A
// short palette follows the bitmaps' colour-table rule; the other two are the PNG's own.
const Bytes kUnhideableData = test::RandomBytes(30, 3);
Picture GreyHolding(const Bytes& data) {
    Picture grey = png::RandomPicture(40, 30, 0, 8, false, 6);
    EXPECT_TRUE(fuzz::EmbedStream(grey.samples, 0, Stream(data), 1));
    return grey;
}
Bytes ShortPalette() {
    Picture picture = png::RandomPicture(40, 30, 3, 8, false, 6);
    for (uint8_t& index : picture.samples) index &= 0x0F;  // 16 colours; a stream changes only bit 0
    EXPECT_TRUE(fuzz::EmbedStream(picture.samples, 0, Stream(kUnhideableData), 1));
    return png::Encode(picture, {{"PLTE", Palette(16)}});
}
Bytes Transparent() { return png::Encode(GreyHolding(kUnhideableData), {{"tRNS", {0, 7}}}); }
Bytes Animated() { return png::Encode(GreyHolding(kUnhideableData), {{"acTL", {0, 0, 0, 2, 0, 0, 0, 0}}}); }

struct UnhideableRow {
    const char* name;
    Bytes (*file)();
    HideRefusal refusal;
    bool shortColourTable;
    ErrorCode error;
};
void PrintTo(const UnhideableRow& row, std::ostream* out) { *out << row.name; }
class PngUnhideable : public PngCarrierTest, public ::testing::WithParamInterface<UnhideableRow> {};

TEST_P(PngUnhideable, RefusesHidingButExtracts) {
    const UnhideableRow& row = GetParam();
    const Bytes file = row.file();
    test::WriteFile(dir_.File("c.png"), file);
    const CarrierAnalysis analysis = Analyse("c.png");
    ASSERT_EQ(analysis.verdict, CarrierVerdict::Png);
    EXPECT_EQ(RefusesHiding(analysis.facts), row.refusal);
    EXPECT_EQ(analysis.facts.shortColourTable, row.shortColourTable);
    const Status hidden = HidePayload(analysis.facts, 1, Source(kUnhideableData));
    ASSERT_FALSE(hidden);
    EXPECT_EQ(hidden.error().code, row.error);
    EXPECT_EQ(test::ReadFile(dir_.File("c.png")), file);
    EXPECT_EQ(Extract("c.png"), kUnhideableData);
}

INSTANTIATE_TEST_SUITE_P(
    Pictures, PngUnhideable,
    ::testing::Values(UnhideableRow{"ShortPalette", ShortPalette, HideRefusal::None, true, ErrorCode::ShortColourTable},
                      UnhideableRow{"TransparentColour", Transparent, HideRefusal::TransparentColour, false,
                                    ErrorCode::CarrierRefused},
                      UnhideableRow{"Animated", Animated, HideRefusal::Animated, false, ErrorCode::CarrierRefused}),
    [](const auto& row) { return std::string(row.param.name); });

// An in-place hide replaces the picture through a new file: its permissions stay, and a
// symbolic link to it stays a link.
TEST_F(PngCarrierTest, InPlaceHideKeepsPermissionsAndLinks) {
    test::WriteFile(dir_.File("real.png"), png::Encode(png::RandomPicture(50, 40, 2, 8, false, 1)));
    ASSERT_EQ(::chmod(dir_.File("real.png").c_str(), 0604), 0);
    ASSERT_EQ(::symlink("real.png", dir_.File("link.png").c_str()), 0);
    const Bytes data = test::RandomBytes(100, 2);
    ASSERT_TRUE(HidePayload(Analyse("link.png").facts, 2, Source(data)));
    struct stat info {};
    ASSERT_EQ(::lstat(dir_.File("link.png").c_str(), &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode));
    ASSERT_EQ(::stat(dir_.File("real.png").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0604u);
    EXPECT_EQ(Extract("real.png"), data);
    EXPECT_EQ(dir_.Entries(), (std::vector<std::string>{"link.png", "out", "payload", "real.png"}));
}

// Keeping the original, for every carrier kind: the carrier never changes, also when the hide
// fails, and the new file is refused when it is the carrier under any name.
TEST_F(PngCarrierTest, HideIntoANewFileNeverTouchesTheCarrier) {
    test::MakeBitmap(dir_.File("c.bmp"), 64, 48, 24, false, 1);
    test::MakeRaw(dir_.File("c.raw"), 20000, 2);
    test::WriteFile(dir_.File("c.png"), png::Encode(png::RandomPicture(64, 48, 6, 16, true, 3)));
    const Bytes data = test::RandomBytes(500, 9);
    const PayloadSource source = Source(data);
    ::umask(022);
    for (const std::string& name : {std::string("c.bmp"), std::string("c.raw"), std::string("c.png")}) {
        SCOPED_TRACE(name);
        const std::string out = dir_.File("new-" + name);
        const Bytes original = test::ReadFile(dir_.File(name));
        const CarrierFacts facts = Analyse(name).facts;
        ASSERT_EQ(::link(dir_.File(name).c_str(), dir_.File("hard").c_str()), 0);
        ASSERT_EQ(::symlink(name.c_str(), dir_.File("soft").c_str()), 0);
        for (const std::string& same : {dir_.File(name), dir_.File("hard"), dir_.File("soft")})
            EXPECT_EQ(HidePayload(facts, 2, source, {}, same).error().code, ErrorCode::SameFile);
        ::unlink(dir_.File("hard").c_str());
        ::unlink(dir_.File("soft").c_str());
        EXPECT_EQ(HidePayload(facts, 2, source, {}, dir_.File("none/new")).error().code, ErrorCode::Io);
        PayloadSource tooLarge = source;
        tooLarge.size = facts.imageSize;
        EXPECT_EQ(HidePayload(facts, 2, tooLarge, {}, out).error().code, ErrorCode::PayloadTooLarge);
        EXPECT_FALSE(std::filesystem::exists(out));

        ASSERT_TRUE(HidePayload(facts, 2, source, {}, out));
        EXPECT_EQ(test::ReadFile(dir_.File(name)), original);
        EXPECT_EQ(Extract("new-" + name), data);
        struct stat info {};
        ASSERT_EQ(::stat(out.c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 07777, 0644u) << "a new file gets the usual permissions";
        ASSERT_EQ(::chmod(out.c_str(), 0600), 0);
        ASSERT_TRUE(HidePayload(facts, 1, source, {}, out));
        ASSERT_EQ(::stat(out.c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 07777, 0600u) << "a replaced file keeps its permissions";
        EXPECT_EQ(test::ReadFile(dir_.File(name)), original);
    }
    EXPECT_EQ(dir_.Entries(), (std::vector<std::string>{"c.bmp", "c.png", "c.raw", "new-c.bmp", "new-c.png",
                                                        "new-c.raw", "out", "payload"}));
}

// The sample view: values as the tests' own reader sees them, alpha out of reach, and a save
// that changes exactly the samples set and keeps the chunks.
TEST_F(PngCarrierTest, SampleViewReadsAndWritesSamplesByPosition) {
    for (const Shape shape : {Shape{6, 16, true}, Shape{0, 8, false}}) {
        const Picture picture = png::RandomPicture(11, 6, shape.colourType, shape.bitDepth, shape.interlaced, 3);
        const Bytes original = png::Encode(picture, ChunksBefore(shape.colourType), kChunksAfter);
        test::WriteFile(dir_.File("s.png"), original);
        auto samples = PngSamples::Load(dir_.File("s.png"));
        ASSERT_TRUE(samples);
        const int channels = png::Channels(shape.colourType), sampleBytes = shape.bitDepth / 8;
        ASSERT_EQ(samples->channels(), HasAlpha(shape.colourType) ? channels - 1 : channels);
        EXPECT_EQ(samples->maxValue(), shape.bitDepth == 16 ? 0xFFFF : 0xFF);
        const auto at = [&](int c, int y, int x) {
            return static_cast<size_t>(((y * 11 + x) * channels + c) * sampleBytes);
        };
        const size_t last = at(samples->channels() - 1, 5, 10);
        const uint16_t stored = shape.bitDepth == 16
                                    ? static_cast<uint16_t>(picture.samples[last] << 8 | picture.samples[last + 1])
                                    : picture.samples[last];
        EXPECT_EQ(samples->Get(samples->channels() - 1, 5, 10), stored);

        samples->Set(0, 2, 3, 0x1234 & samples->maxValue());
        ASSERT_TRUE(samples->Save(dir_.File("s2.png")));
        Picture expected = picture;
        expected.samples[at(0, 2, 3)] = shape.bitDepth == 16 ? 0x12 : 0x34;
        if (shape.bitDepth == 16) expected.samples[at(0, 2, 3) + 1] = 0x34;
        const Bytes saved = test::ReadFile(dir_.File("s2.png"));
        EXPECT_EQ(png::Decode(saved).samples, expected.samples);
        EXPECT_EQ(Layout(saved), WithoutUnsafeUnknown(Layout(original)));
    }
    test::WriteFile(dir_.File("p.png"),
                    png::Encode(png::RandomPicture(4, 4, 3, 8, false, 1), {{"PLTE", Palette(256)}}));
    EXPECT_EQ(PngSamples::Load(dir_.File("p.png")).error().code, ErrorCode::CarrierRefused);
}

}  // namespace
}  // namespace tarnwerk
