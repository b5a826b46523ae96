// End-to-end tests of the workstation through its batch mode: the real varq
// program with the shipped modules and the sample repository, under Xvfb.
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <QImage>
#include <QTemporaryDir>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using ::testing::HasSubstr;
using ::testing::Not;

namespace fs = std::filesystem;

namespace {

const std::string kBin = APPLICATION_BIN_DIR;
const std::string kLocal = kBin + "/local";

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

class BatchModeTest : public ::testing::Test {
protected:
    // Runs `varq --batch` over `commands` with the given executable (the
    // build's own unless a test made an application folder of its own).
    Outcome Batch(const std::string& commands, const std::string& varq = kBin + "/varq") {
        const std::string script = Path("commands.txt");
        std::ofstream(script) << commands;
        const std::string command = "cd " + Path("") + " && " + varq + " --batch " + script + " > " +
                                    Path("out.txt") + " 2> " + Path("err.txt");
        Outcome run;
        run.status = WEXITSTATUS(std::system(command.c_str()));
        run.out = ReadAll(Path("out.txt"));
        run.err = ReadAll(Path("err.txt"));
        return run;
    }
    std::string Path(const std::string& name) const {
        return dir_.path().toStdString() + "/" + name;
    }
    // The share of pixels in a picture that are clearly of the given hue.
    static double Share(const QImage& image, bool (*wanted)(QRgb)) {
        int count = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                count += wanted(image.pixel(x, y)) ? 1 : 0;
            }
        }
        return static_cast<double>(count) / (image.width() * image.height());
    }

    QTemporaryDir dir_;
};

const std::string kOpenKidney = "open " + kLocal + "/Kidney/kidney.stl\n" + "open " + kLocal +
                                "/Kidney/kidney_landmarks.fcsv\n" + "open " + kLocal +
                                "/Kidney/kidney_ct.mha\n";

}  // namespace

TEST_F(BatchModeTest, ButtonsShowWhatIsSelected) {
    const Outcome run = Batch(kOpenKidney +
                          "select kidney\nbutton Surface Viewer\n"
                          "select kidney_landmarks\nbutton Surface Viewer\nlayers\n"
                          "newtab\nselect Images\nbutton Volume Viewer\nlayers\n"
                          "select kidney_ct.mha\nbutton Volume Viewer\nlayers\nquit\n");
    EXPECT_EQ(run.status, 0) << run.err;
    // The surface tab: both models; the volume tab: empty after "coolstart" on a
    // category, then the repository file's volume.
    EXPECT_THAT(run.out, HasSubstr("View\n  kidney\n  kidney_landmarks\n"));
    EXPECT_THAT(run.out, HasSubstr("View\n  kidney_ct\n"));
    
}

TEST_F(BatchModeTest, ClearingTheViewerIsAskedAndRespected) {
    const Outcome run = Batch(kOpenKidney +
                          "select kidney\nbutton Surface Viewer\n"
                          "select kidney_ct\nbutton Volume Viewer\nlayers\n"
                          "answer yes\nbutton Volume Viewer\nlayers\nquit\n");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_THAT(run.out, HasSubstr("prompt: Clear current viewer? -> no\nView\n  kidney\n"));
    EXPECT_THAT(run.out, HasSubstr("prompt: Clear current viewer? -> yes\nView\n  kidney_ct\n"));
}

TEST_F(BatchModeTest, EditingAPropertyChangesThePicture) {
    const Outcome run = Batch(kOpenKidney + "select kidney\nbutton Surface Viewer\n" +
                          "screenshot " + Path("before.png") + "\n" +
                          "set Color #ff0000\nprops\nscreenshot " + Path("after.png") + "\n" +
                          "set Nothing 1\nquit\n");
    EXPECT_EQ(run.status, 1) << "the unknown row must be reported";
    EXPECT_THAT(run.err, HasSubstr("no property row"));
    EXPECT_THAT(run.out, HasSubstr("MeshLayer\tColor\t255, 0, 0\tenabled"));
    const QImage before(QString::fromStdString(Path("before.png")));
    const QImage after(QString::fromStdString(Path("after.png")));
    ASSERT_FALSE(before.isNull());
    ASSERT_FALSE(after.isNull());
    auto red = [](QRgb p) { return qRed(p) > 120 && qGreen(p) < 60 && qBlue(p) < 60; };
    EXPECT_LT(Share(before, red), 0.01);
    EXPECT_GT(Share(after, red), 0.05);
}

TEST_F(BatchModeTest, AWorkspaceComesBackAsSaved) {
    const std::string workspace = Path("kidney.f");
    const Outcome saved = Batch(kOpenKidney + "select kidney\nbutton Surface Viewer\n" +
                            "select kidney_landmarks\nbutton Surface Viewer\n"
                            "select kidney\nset Representation Wireframe\n"
                            "workspace " + workspace + "\nvars\nlayers\nquit\n");
    ASSERT_EQ(saved.status, 0) << saved.err;
    const Outcome loaded = Batch("loadworkspace " + workspace +
                             "\nvars\nlayers\nselect kidney\nprops\nquit\n");
    ASSERT_EQ(loaded.status, 0) << loaded.err;
    EXPECT_THAT(loaded.out, HasSubstr("workspace loaded"));
    const auto vars = saved.out.substr(saved.out.find("id      name"));
    EXPECT_THAT(loaded.out, HasSubstr(vars.substr(0, vars.find("View"))));
    EXPECT_THAT(loaded.out, HasSubstr("View\n  kidney\n  kidney_landmarks\n"));
    EXPECT_THAT(loaded.out, HasSubstr("MeshLayer\tRepresentation\tWireframe\tenabled"));
}

TEST_F(BatchModeTest, UnknownCommandsAndMissingTargetsFail) {
    const Outcome run = Batch("frobnicate\nselect Nowhere\nbutton Nobody\nopen /no/such/file.vtk\nquit\n");
    EXPECT_EQ(run.status, 1);
    EXPECT_THAT(run.err, HasSubstr("unknown command \"frobnicate\""));
    EXPECT_THAT(run.err, HasSubstr("no tree node \"Nowhere\""));
    EXPECT_THAT(run.err, HasSubstr("no component button \"Nobody\""));
    // A file that cannot be loaded is an answer, not a failure of the command.
    EXPECT_THAT(run.out, HasSubstr("error: file loading error"));
    EXPECT_THAT(run.out, HasSubstr("prompt: "));
}

TEST_F(BatchModeTest, AModuleThatFailsToLoadIsReportedAndTheRestRuns) {
    // An application folder of its own: the program, the shipped viewer and a broken module.
    const fs::path app = Path("app");
    fs::create_directories(app / "bin" / "Modules");
    fs::create_symlink(fs::path(kBin).parent_path() / "lib", app / "lib");
    fs::copy_file(kBin + "/varq", app / "bin" / "varq");
    fs::copy_file(kBin + "/Modules/libSurfaceViewer.so", app / "bin" / "Modules" / "libSurfaceViewer.so");
    fs::copy_file(std::string(TEST_PLUGIN_DIR) + "/libmodule_unloadable.so",
                  app / "bin" / "Modules" / "broken.so");
    const Outcome run = Batch("modules\nquit\n", (app / "bin" / "varq").string());
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_THAT(run.out, HasSubstr("prompt: Couldn't load module ("));
    EXPECT_THAT(run.out, HasSubstr("broken.so"));
    EXPECT_THAT(run.out, HasSubstr("Surface Viewer"));
}

TEST_F(BatchModeTest, PreviewPrintsThePictureOrTheReason) {
    std::ofstream(Path("broken.vq")) << "not a volume";
    const Outcome run = Batch("preview " + kLocal + "/Kidney/kidney_ct.vq\npreview " + Path("broken.vq") +
                          "\nquit\n");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_THAT(run.out, HasSubstr(" x "));
    EXPECT_THAT(run.out, HasSubstr("error: the VQ file may have been corrupted"));
}

TEST_F(BatchModeTest, InspectRendersASnapshotOfASampleFile) {
    const std::string picture = Path("kidney.png");
    const std::string command = kBin + "/varq-inspect --snapshot " + picture + " --size 200x150 " +
                                kLocal + "/Kidney/kidney.stl > " + Path("inspect.txt") + " 2>&1";
    ASSERT_EQ(WEXITSTATUS(std::system(command.c_str())), 0) << ReadAll(Path("inspect.txt"));
    const QImage image(QString::fromStdString(picture));
    ASSERT_EQ(image.size(), QSize(200, 150));
    // The surface is drawn: the picture is not all background.
    const QRgb corner = image.pixel(0, 0);
    auto differs = [](QRgb p) { return qRed(p) > 100 || qGreen(p) > 100; };
    EXPECT_FALSE(differs(corner));
    EXPECT_GT(Share(image, differs), 0.02);

    const std::string bad = kBin + "/varq-inspect --snapshot " + picture + " --size nonsense " +
                            kLocal + "/Kidney/kidney.stl > /dev/null 2>&1";
    EXPECT_EQ(WEXITSTATUS(std::system(bad.c_str())), 2);
}
