// Moving a finished screensaver's payload onto another runtime: the new file's bytes, the
// settings text edited in place, the rebuilt settings archive, and every refusal.
#include <gtest/gtest.h>

#include "payload/PayloadLayout.h"
#include "payload/PayloadUpgrade.h"
#include "payload_test_support.h"

namespace saver {
namespace {

using testing::Filler;
using testing::PayloadTail;
using testing::TestDrive;
using testing::ZipOf;

const std::string kOld = "C:\\old.scr", kRuntime = "C:\\runtime.scr", kNew = "C:\\new.scr";

// A screensaver laid out by hand: a runtime of `runtimeSize` bytes, then `packed`, then the
// tail with `settings` as Old.002 and an extra member. "@R" in the settings stands for the
// runtime size plus the number after it ("@R+5"), "@M" likewise for the marker offset.
struct OldSaver {
    std::size_t runtimeSize = 3000;
    std::string packed;
    std::string settings;
};

std::string expand(std::string s, std::int64_t r, std::int64_t m) {
    for (auto [tag, base] : {std::pair{std::string("@R"), r}, std::pair{std::string("@M"), m}}) {
        for (std::size_t at; (at = s.find(tag)) != std::string::npos;) {
            std::size_t end = at + 2;
            std::int64_t add = 0;
            if (end < s.size() && (s[end] == '+' || s[end] == '-')) {
                std::size_t used = 0;
                add = std::stoll(s.substr(end), &used);
                end += used;
            }
            s.replace(at, end - at, std::to_string(base + add));
        }
    }
    return s;
}

std::string settingsOf(const OldSaver& o) {
    const auto r = static_cast<std::int64_t>(o.runtimeSize);
    return expand(o.settings, r, r + static_cast<std::int64_t>(o.packed.size()));
}

std::string bytesOf(const OldSaver& o) {
    // A different filler than the new runtime's, so a mix-up shows.
    std::string runtime(o.runtimeSize, '\0');
    for (std::size_t i = 0; i < runtime.size(); ++i) runtime[i] = static_cast<char>(i % 199);
    return runtime + o.packed +
           PayloadTail("Old.002", ZipOf({{"Old.002", settingsOf(o)}, {"notes.txt", "keep me\n"}}));
}

const std::string kMovie = "CWS" + std::string(700, 'm');
const std::string kZipped = ZipOf({{"a=b.swf", "FWS" + std::string(90, 'z')}});
const std::string kAux = "<resource/>";
const std::string kGap = "1234567";  // bytes between two items that nothing names

// LF line ends, blanks around "=", a hexadecimal value, a comment, a [zippos] split in two, a
// key repeated (only the first counts) and a non-ASCII byte in a value.
OldSaver richSaver() {
    OldSaver o;
    o.packed = kMovie + kGap + kZipped + kAux;
    const std::string zipAt = "@R+" + std::to_string(kMovie.size() + kGap.size());
    const std::string auxAt = "@R+" + std::to_string(kMovie.size() + kGap.size() + kZipped.size());
    o.settings =
        "[Set]\nScrName=Caf\xE9 Saver\nFlashQuality=3\n\n[Flash]\nsc2.swf=1\n"
        "a**b.swf=1\n(Resource) res.xml=1\n\n[zippos]\nsc2.swf_1 = @R\r\n; moved\n"
        "sc2.swf_2=0x" +
        [] {
            char hex[16];
            std::snprintf(hex, sizeof hex, "%X", unsigned(3000 + kMovie.size()));
            return std::string(hex);
        }() +
        "\na**b.swf_1=" + zipAt + "\na**b.swf_2=" + auxAt +
        "\nsc2.swf_1=1\n[notzip]\n"
        "sc2.swf=1\nres.xml=1\n[ZIPPOS]\nres.xml_1=" +
        auxAt + "\nres.xml_2=@M\n";
    return o;
}

class Upgrade : public ::testing::Test {
  protected:
    PayloadLayout layoutOf(const std::string& path) { return ReadPayloadLayout(drive.fs, path); }
    TestDrive drive;
};

TEST_F(Upgrade, MovesPackedBytesAndOnlyThePositions) {
    const OldSaver o = richSaver();
    const std::string old = bytesOf(o);
    for (std::size_t newSize : {std::size_t(1000), std::size_t(3000), std::size_t(250000)}) {
        SCOPED_TRACE(newSize);
        drive.put(kOld, old);
        drive.put(kRuntime, Filler(newSize));
        const UpgradeResult r = UpgradePayload(drive.fs, kOld, kRuntime, kNew);
        const std::int64_t shift = std::int64_t(newSize) - 3000;
        EXPECT_EQ(r.shift, shift);
        const std::string now = drive.get(kNew);
        EXPECT_EQ(now.substr(0, newSize), Filler(newSize));
        EXPECT_EQ(now.substr(newSize, o.packed.size()), o.packed);
        EXPECT_EQ(r.markerOffset, newSize + o.packed.size());
        EXPECT_EQ(now.size(), r.fileSize);

        // Byte for byte the old text, with only the values that start-up reads moved: the
        // repeated sc2.swf_1=1 stays, the hexadecimal end becomes decimal. When nothing moves,
        // nothing changes.
        std::string expected = settingsOf(o);
        if (shift != 0) {
            expected.replace(expected.find("sc2.swf_1 = 3000"), 16,
                             "sc2.swf_1 =" + std::to_string(newSize));
            const std::size_t hex = expected.find("sc2.swf_2=0x");
            expected.replace(hex, expected.find('\n', hex) - hex,
                             "sc2.swf_2=" + std::to_string(newSize + kMovie.size()));
            for (const char* key : {"a**b.swf_1=", "a**b.swf_2=", "res.xml_1=", "res.xml_2="}) {
                const std::size_t at = expected.find(key) + std::string(key).size();
                const std::size_t end = expected.find('\n', at);
                expected.replace(at, end - at,
                                 std::to_string(std::stoll(expected.substr(at, end - at)) + shift));
            }
        }
        EXPECT_EQ(r.settingsText, expected);

        const PayloadLayout l = layoutOf(kNew);
        EXPECT_EQ(l.settingsText, expected);
        ASSERT_EQ(l.members.size(), 2u);
        EXPECT_EQ(l.members[1].rawName, "notes.txt");
        EXPECT_EQ(l.members[1].bytes, "keep me\n");
        EXPECT_TRUE(LayoutProblems(l).empty());
        ASSERT_EQ(l.items.size(), 3u);
        const PayloadLayout before = layoutOf(kOld);
        for (std::size_t i = 0; i < l.items.size(); ++i) {
            EXPECT_EQ(l.items[i].name, before.items[i].name);
            EXPECT_EQ(l.items[i].begin, before.items[i].begin + shift);
            EXPECT_EQ(l.items[i].raw, before.items[i].raw);
            EXPECT_EQ(
                now.substr(l.items[i].begin, l.items[i].end - l.items[i].begin),
                old.substr(before.items[i].begin, before.items[i].end - before.items[i].begin));
        }
        // Nothing moved: the old archive is kept as it is.
        if (shift == 0) EXPECT_EQ(now.substr(r.markerOffset), old.substr(before.markerOffset));
    }
}

TEST_F(Upgrade, NothingPackedKeepsEverythingBehindTheMarker) {
    OldSaver o;
    o.settings = "[Set]\r\nScrName=Bare\r\n[Flash]\r\nhttp://example.invalid/a.swf=1\r\n";
    const std::string old = bytesOf(o);
    drive.put(kOld, old);
    drive.put(kRuntime, Filler(5000));
    const UpgradeResult r = UpgradePayload(drive.fs, kOld, kRuntime, kNew);
    EXPECT_EQ(r.oldRuntimeSize, 3000u);
    EXPECT_EQ(drive.get(kNew), Filler(5000) + old.substr(3000));
}

struct Refusal {
    const char* label;
    std::string packed;
    std::string settings;  // with @R / @M as in OldSaver
    std::string errorHas;
};

TEST_F(Upgrade, RefusesLayoutsThatDoNotAddUp) {
    const std::string items = "[Set]\r\n[notzip]\r\na.swf=1\r\nb.swf=1\r\n[zippos]\r\n";
    const std::vector<Refusal> cases = {
        {"item beyond the end of the file", std::string(100, 'a'),
         items + "a.swf_1=@R\r\na.swf_2=2000000000\r\n", "outside the file"},
        {"item into the marker", std::string(100, 'a'), items + "a.swf_1=@R\r\na.swf_2=@M+3\r\n",
         "marker area"},
        {"item starting on the marker", std::string(100, 'a'),
         items + "a.swf_1=@M\r\na.swf_2=@M+5\r\n", "marker area"},
        {"overlapping items", std::string(200, 'a'),
         items + "a.swf_1=@R\r\na.swf_2=@R+150\r\nb.swf_1=@R+100\r\nb.swf_2=@R+200\r\n", "overlap"},
        {"one item inside another", std::string(200, 'a'),
         items + "a.swf_1=@R\r\na.swf_2=@R+200\r\nb.swf_1=@R+10\r\nb.swf_2=@R+20\r\n", "overlap"},
        {"reversed range", std::string(100, 'a'), items + "a.swf_1=@R+100\r\na.swf_2=@R\r\n",
         "empty or reversed"},
        {"negative start", std::string(100, 'a'), items + "a.swf_1=-5\r\na.swf_2=@R\r\n",
         "empty or reversed"},
        {"empty range", std::string(100, 'a'), items + "a.swf_1=@R\r\na.swf_2=@R\r\n",
         "empty or reversed"},
    };
    for (const Refusal& c : cases) {
        SCOPED_TRACE(c.label);
        OldSaver o;
        o.packed = c.packed;
        o.settings = c.settings;
        drive.put(kOld, bytesOf(o));
        drive.put(kRuntime, Filler(4000));
        try {
            UpgradePayload(drive.fs, kOld, kRuntime, kNew);
            ADD_FAILURE() << "not refused";
        } catch (const std::exception& e) {
            EXPECT_NE(std::string(e.what()).find(c.errorHas), std::string::npos) << e.what();
        }
        EXPECT_FALSE(drive.fs.fileExists(kNew));
    }
}

struct BadFile {
    const char* label;
    std::string oldBytes;
    std::string runtimeBytes;
    std::string out;
    std::string errorHas;
};

TEST_F(Upgrade, RefusesFilesThatCannotBeUpgraded) {
    const std::string good = bytesOf(richSaver());
    std::string damagedMember = PayloadTail(
        "Old.002",
        ZipOf({{"Old.002", "[Set]\r\n"}, {"x.bin", "payload"}}, ZipWriter::Method::Stored));
    damagedMember[damagedMember.find("payload")] ^= 1;  // fails its CRC
    // A packed item holding the marker, just outside the window while a long archive comment
    // makes the tail long; the rebuilt archive has no comment and would let the window reach it.
    const std::string item = PayloadMarker() + std::string(90000, 'i');
    ZipWriter commented;
    commented.add("Old.002",
                  "[zippos]\r\nm.swf_1=3000\r\nm.swf_2=" + std::to_string(3000 + item.size()) +
                      "\r\n[notzip]\r\nm.swf=1\r\n");
    commented.setComment(std::string(65000, 'c'));
    const std::string forged = Filler(3000) + item + PayloadTail("Old.002", commented.finish());
    const std::vector<BadFile> cases = {
        {"no payload", Filler(20000), Filler(4000), kNew, "no payload"},
        {"marker beyond the window", Filler(10) + PayloadMarker() + Filler(160000), Filler(4000),
         kNew, "no payload"},
        {"no separator", Filler(2000) + PayloadMarker() + "Old.002", Filler(4000), kNew, "\"**\""},
        {"settings archive no archive", Filler(2000) + PayloadTail("Old.002", "garbage"),
         Filler(4000), kNew, "settings archive is damaged"},
        {"member that does not decode", Filler(2000) + damagedMember, Filler(4000), kNew,
         "\"x.bin\" cannot be read"},
        {"runtime that is a finished screensaver", good, good, kNew, "carries a payload marker"},
        {"empty runtime", good, "", kNew, "empty"},
        {"output over the old file", good, Filler(4000), kOld, "also an input"},
        {"output over the runtime", good, Filler(4000), kRuntime, "also an input"},
        {"packed marker the smaller archive brings into the window", forged, Filler(4000), kNew,
         "marker ahead of the real one"},
    };
    for (const BadFile& c : cases) {
        SCOPED_TRACE(c.label);
        drive.put(kOld, c.oldBytes);
        drive.put(kRuntime, c.runtimeBytes);
        try {
            UpgradePayload(drive.fs, kOld, kRuntime, c.out);
            ADD_FAILURE() << "not refused";
        } catch (const std::exception& e) {
            EXPECT_NE(std::string(e.what()).find(c.errorHas), std::string::npos) << e.what();
        }
        EXPECT_FALSE(drive.fs.fileExists(kNew));
        EXPECT_EQ(drive.get(kOld), c.oldBytes);
    }
}

}  // namespace
}  // namespace saver
