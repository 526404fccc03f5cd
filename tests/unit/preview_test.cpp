#include <gtest/gtest.h>

#include <map>
#include <string>

#include "app/Startup.h"
#include "payload_test_support.h"
#include "preview/PreviewDesign.h"
#include "preview/PreviewFitting.h"

namespace saver {
namespace {

using testing::Filler;
using testing::PayloadTail;
using testing::SaverFixture;
using testing::ZipOf;

// --- title -----------------------------------------------------------------------------------

struct TitleCase {
    std::string programPath;
    std::map<std::string, std::string> displayNames;
    std::string title;
};

TEST(PreviewTitleTest, NameFromProgramFile) {
    const TitleCase cases[] = {
        {"C:\\Windows\\My Saver.scr", {}, "My Saver"},
        // A short name is replaced by the name the shell shows, with or without its extension.
        {"C:\\SAVERS\\MYSAVE~1.SCR", {{"C:\\SAVERS\\MYSAVE~1.SCR", "My Saver.scr"}}, "My Saver"},
        {"C:\\SAVERS\\MYSAVE~1.SCR", {{"C:\\SAVERS\\MYSAVE~1.SCR", "My Saver"}}, "My Saver"},
        // With the extension hidden, a dot in the name is taken for one.
        {"C:\\SAVERS\\MYFUNS~1.SCR", {{"C:\\SAVERS\\MYFUNS~1.SCR", "My.Fun Saver"}}, "My"},
        // The shell knows nothing: the short name itself.
        {"C:\\SAVERS\\MYSAVE~1.SCR", {}, "MYSAVE~1"},
        // A tilde in a folder is no short program name: the shell is not asked.
        {"C:\\PROGRA~1\\Aqua.scr", {{"C:\\PROGRA~1\\Aqua.scr", "Wrong.scr"}}, "Aqua"},
        // The name is cut where the extension text first occurs.
        {"C:\\Savers\\Fish.scr.scr", {}, "Fish"},
        {"C:\\Savers\\a.scrub.scr", {}, "a"},
        {"C:\\Savers\\Plain", {}, "Plain"},
    };
    for (const TitleCase& c : cases) {
        SaverFixture f(c.programPath);
        f.sys.displayNames = c.displayNames;
        f.writeProgram(Filler(1000));
        ASSERT_EQ(RunStartup(f.rt, {"/p", "4711"}).outcome, StartupOutcome::Ready);
        EXPECT_EQ(PreviewTitle(f.rt), c.title) << c.programPath;
        const PreviewDesign design = DescribePreview(f.rt, PreviewFormKind::Name);
        EXPECT_EQ(design.labels.at(0).caption, c.title) << c.programPath;
    }
}

// --- choice of form --------------------------------------------------------------------------

struct ChoiceCase {
    const char* what;
    std::string set;       // [Set] lines
    std::string diskPath;  // a picture file on drive C: ("" for none)
    std::string packed;    // bytes packed as item "p.jpg" ("" for a saver without items)
    bool rawItem = true;   // [notzip] p.jpg=1
    PreviewFormKind kind;
    std::string imagePath;  // Build_StaticImage afterwards; "<ws>" stands for the workspace
};

// Loads a screensaver the way start-up does and chooses its preview form.
PreviewFormKind Choose(SaverFixture& f, const ChoiceCase& c) {
    if (!c.diskPath.empty()) f.drive.put(c.diskPath, "picture");
    std::string program = Filler(1000);
    std::string ini = "[Set]\r\n" + c.set;
    if (!c.packed.empty()) {
        ini += "[zippos]\r\np.jpg_1=1000\r\np.jpg_2=" + std::to_string(1000 + c.packed.size()) +
               "\r\n";
        if (c.rawItem) ini += "[notzip]\r\np.jpg=1\r\n";
        program += c.packed;
        program += PayloadTail("Aqua.002", ZipOf({{"Aqua.002", ini}}));
    } else {
        f.drive.put("C:\\Savers\\Aqua.002", ini);
    }
    f.writeProgram(program);
    const StartupResult started = RunStartup(f.rt, {"/p", "4711"});
    EXPECT_EQ(started.outcome, StartupOutcome::Ready) << c.what << ": " << started.error;
    return ChoosePreviewForm(f.rt);
}

TEST(PreviewChoiceTest, PictureOnlyWhenAskedForAndFound) {
    const PreviewFormKind name = PreviewFormKind::Name, picture = PreviewFormKind::Picture;
    const ChoiceCase cases[] = {
        {"off", "Build_StaticImage=C:\\Pics\\p.jpg\r\n", "C:\\Pics\\p.jpg", "", true, name,
         "C:\\Pics\\p.jpg"},
        {"on, empty entry", "Build_UseStaticPreview=1\r\n", "", "", true, name, ""},
        {"on, missing file", "Build_UseStaticPreview=1\r\nBuild_StaticImage=C:\\Pics\\p.jpg\r\n",
         "", "", true, name, "C:\\Pics\\p.jpg"},
        {"on, full path", "Build_UseStaticPreview=1\r\nBuild_StaticImage=C:\\Pics\\p.jpg\r\n",
         "C:\\Pics\\p.jpg", "", true, picture, "C:\\Pics\\p.jpg"},
        {"on, bare name in sample\\", "Build_UseStaticPreview=1\r\nBuild_StaticImage=p.jpg\r\n",
         "C:\\Savers\\sample\\p.jpg", "", true, picture, "C:\\Savers\\sample\\p.jpg"},
        {"on, packed", "Build_UseStaticPreview=1\r\nBuild_StaticImage=C:\\Builder\\p.jpg\r\n", "",
         "JPEGBYTES", true, picture, "<ws>p.jpg"},
        {"on, packed range is no archive",
         "Build_UseStaticPreview=1\r\nBuild_StaticImage=p.jpg\r\n", "", "JPEGBYTES", false, name,
         "<ws>p.jpg"},
        {"on, packed but not the one named",
         "Build_UseStaticPreview=1\r\nBuild_StaticImage=q.jpg\r\n", "", "JPEGBYTES", true, name,
         "<ws>q.jpg"},
    };
    for (const ChoiceCase& c : cases) {
        SaverFixture f;
        EXPECT_EQ(Choose(f, c), c.kind) << c.what;
        std::string expected = c.imagePath;
        if (expected.starts_with("<ws>")) expected = f.ws() + expected.substr(4);
        EXPECT_EQ(f.rt.Setting.Build_StaticImage, expected) << c.what;
        if (c.kind == PreviewFormKind::Picture && !c.packed.empty())
            EXPECT_EQ(f.drive.get(expected), c.packed) << c.what;
    }
}

// --- layouts ---------------------------------------------------------------------------------

TEST(PreviewDesignTest, NamePreviewCreditFollowsHideKestroText) {
    for (const bool hide : {false, true}) {
        SaverFixture f("C:\\Savers\\Deep Sea.scr");
        f.writeProgram(Filler(1000));
        f.drive.put("C:\\Savers\\Deep Sea.002",
                    std::string("[Set]\r\nHideKestroText=") + (hide ? "1" : "0") + "\r\n");
        ASSERT_EQ(RunStartup(f.rt, {"/p", "4711"}).outcome, StartupOutcome::Ready);

        const PreviewDesign d = DescribePreview(f.rt, ChoosePreviewForm(f.rt));
        EXPECT_STREQ(d.formName, "TOtherPreviewForm");
        EXPECT_EQ(d.formBox, (PreviewBox{360, 233, 517, 392}));
        EXPECT_EQ(d.imageId, 0);
        ASSERT_EQ(d.labels.size(), 2u);
        const PreviewLabel& title = d.labels[0];
        EXPECT_EQ(title.caption, "Deep Sea");
        EXPECT_EQ(title.box, (PreviewBox{8, 12, 143, 79}));
        EXPECT_TRUE(title.visible && title.wordWrap && title.bold && !title.autoSize);
        EXPECT_EQ(title.colour, 0xFFFFFFu);
        const PreviewLabel& credit = d.labels[1];
        EXPECT_EQ(credit.visible, !hide);
        EXPECT_EQ(credit.caption, "- Powered by kestro.example");
        EXPECT_EQ(credit.box, (PreviewBox{36, 95, 113, 13}));
        EXPECT_EQ(credit.colour, 0xD8D8D8u);
        EXPECT_TRUE(credit.link);
        EXPECT_FALSE(credit.hint.empty());
        EXPECT_TRUE(credit.linkAddress.starts_with("https://"));
    }
}

TEST(PreviewDesignTest, PicturePreviewFillsThePreviewArea) {
    SaverFixture f("C:\\Savers\\Deep Sea.scr");
    f.writeProgram(Filler(1000));
    f.drive.put("C:\\Pics\\wide.bmp", "BM");
    f.drive.put("C:\\Savers\\Deep Sea.002",
                "[Set]\r\nBuild_UseStaticPreview=1\r\nBuild_StaticImage=C:\\Pics\\wide.bmp\r\n");
    ASSERT_EQ(RunStartup(f.rt, {"/p", "4711"}).outcome, StartupOutcome::Ready);

    const PreviewDesign d = DescribePreview(f.rt, ChoosePreviewForm(f.rt));
    EXPECT_EQ(d.kind, PreviewFormKind::Picture);
    EXPECT_STREQ(d.formName, "TCommercePreviewForm");
    EXPECT_EQ(d.formBox.width, 696);
    EXPECT_EQ(d.formBox.height, 480);
    EXPECT_EQ(d.imageId, kPreviewImage1Id);
    EXPECT_EQ(d.imageBox, (PreviewBox{4, 4, 152, 112}));
    EXPECT_EQ(d.picturePath, "C:\\Pics\\wide.bmp");
    // The title waits, hidden, for a picture that cannot be shown.
    ASSERT_EQ(d.labels.size(), 1u);
    EXPECT_EQ(d.labels[0].caption, "Deep Sea");
    EXPECT_FALSE(d.labels[0].visible);
    EXPECT_EQ(d.labels[0].fontPoints, 10);
}

// --- fitting ---------------------------------------------------------------------------------

struct FitCase {
    const char* what;
    PreviewSize client, window;
    PreviewBox parent;
    PreviewBox fitted;
};

TEST(PreviewFittingTest, ClientAreaCoversTheParent) {
    const FitCase cases[] = {
        // 4-pixel frame, 19-pixel caption: the classic look.
        {"classic", {509, 365}, {517, 392}, {100, 200, 152, 112}, {-8, -27, 170, 149}},
        // Only the parent's size counts, not where it is on the screen.
        {"parent off screen", {509, 365}, {517, 392}, {-500, -300, 152, 112}, {-8, -27, 170, 149}},
        // Wider frames and a taller caption push further out.
        {"wide frame", {501, 361}, {517, 392}, {0, 0, 152, 112}, {-16, -31, 178, 153}},
        {"large parent", {509, 365}, {517, 392}, {0, 0, 640, 480}, {-8, -27, 658, 517}},
        {"parent of no size", {509, 365}, {517, 392}, {10, 10, 0, 0}, {-8, -27, 18, 37}},
    };
    for (const FitCase& c : cases) {
        const PreviewBox fitted = FitPreviewToParent(c.client, c.window, c.parent);
        EXPECT_EQ(fitted, c.fitted) << c.what;
        // Whatever the frame, the client area covers the parent with 10 pixels to spare.
        const int frameX = c.window.width - c.client.width,
                  frameY = c.window.height - c.client.height;
        EXPECT_EQ(fitted.width - frameX, c.parent.width + 10) << c.what;
        EXPECT_EQ(fitted.height - frameY, c.parent.height + 10) << c.what;
    }
}

}  // namespace
}  // namespace saver
