// End-to-end tests of the workstation through its batch mode: the real varq
// program with the shipped modules and the sample repository, under Xvfb.
#include <sys/stat.h>
#include <sys/wait.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

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
        const std::string command = "cd " + Path("") + " && " + varq + " --batch " + script +
                                    " > " + Path("out.txt") + " 2> " + Path("err.txt");
        Outcome run;
        run.status = WEXITSTATUS(std::system(command.c_str()));
        run.out = ReadAll(Path("out.txt"));
        run.err = ReadAll(Path("err.txt"));
        return run;
    }
    std::string Path(const std::string& name) const {
        return m_dir.path().toStdString() + "/" + name;
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

    QTemporaryDir m_dir;
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
                              "select kidney_ct\nbutton Volume Viewer\nlayers\nprops\n"
                              "answer yes\nbutton Volume Viewer\nlayers\nquit\n");
    EXPECT_EQ(run.status, 0) << run.err;
    // No: the sheet and the tree show what is shown, the surface, not the selection.
    const std::string no = "prompt: Clear current viewer? -> no\nView\n  kidney\nViewer\t";
    ASSERT_THAT(run.out, HasSubstr(no));
    const std::string sheet = run.out.substr(run.out.find(no));
    EXPECT_THAT(sheet.substr(0, sheet.find("prompt:", 1)), HasSubstr("MeshLayer\tColor\t"));
    EXPECT_THAT(run.out, HasSubstr("prompt: Clear current viewer? -> yes\nView\n  kidney_ct\n"));
}

TEST_F(BatchModeTest, TheSheetFollowsWhatTheCurrentTabShows) {
    const Outcome run = Batch(kOpenKidney +
                              "select kidney\nbutton Surface Viewer\n"
                              "select kidney_landmarks\nbutton Surface Viewer\nprops\n"
                              "newtab\nprops\nlayers\nquit\n");
    EXPECT_EQ(run.status, 0) << run.err;
    // After adding a layer the sheet shows that layer; a new tab shows nothing.
    const std::string added = run.out.substr(run.out.find("Viewer\tIsA"));
    EXPECT_THAT(added.substr(0, added.find("View\n")), HasSubstr("LandmarkLayer\tSize\t"));
    EXPECT_THAT(added.substr(0, added.find("View\n")), Not(HasSubstr("MeshLayer")));
    // The second "props" printed no row: the landmarks' last row, then the tree.
    EXPECT_THAT(run.out,
                HasSubstr("LandmarkLayer\tIsA\tLandmarkLayer\tdisabled\nView\n  No Layers\n"));
}

TEST_F(BatchModeTest, EditingAPropertyChangesThePicture) {
    const Outcome run = Batch(kOpenKidney + "select kidney\nbutton Surface Viewer\nscreenshot " +
                              Path("before.png") + "\nset Color #ff0000\nprops\nscreenshot " +
                              Path("after.png") + "\nquit\n");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_THAT(run.out, HasSubstr("MeshLayer\tColor\t255, 0, 0\tenabled"));
    const QImage before(QString::fromStdString(Path("before.png")));
    const QImage after(QString::fromStdString(Path("after.png")));
    ASSERT_FALSE(before.isNull());
    ASSERT_FALSE(after.isNull());
    auto red = [](QRgb p) { return qRed(p) > 120 && qGreen(p) < 60 && qBlue(p) < 60; };
    EXPECT_LT(Share(before, red), 0.01);
    EXPECT_GT(Share(after, red), 0.05);
}

TEST_F(BatchModeTest, TheColorBarShowsTheScaleOfAVolumeAndNothingForAPlainSurface) {
    // A CT-like volume: air (-1000) around a body (40) with a bright core (900).
    const int nx = 48, ny = 40, nz = 20;
    std::vector<short> voxels;
    for (int k = 0; k < nz; ++k) {
        for (int j = 0; j < ny; ++j) {
            for (int i = 0; i < nx; ++i) {
                const int r2 = (i - nx / 2) * (i - nx / 2) + (j - ny / 2) * (j - ny / 2);
                voxels.push_back(static_cast<short>(r2 > 17 * 17 ? -1000 : r2 > 36 ? 40 : 900));
            }
        }
    }
    std::ofstream(Path("ct.raw"), std::ios::binary)
        .write(reinterpret_cast<const char*>(voxels.data()), voxels.size() * sizeof(short));
    std::ofstream(Path("ct.mha")) << "ObjectType = Image\nNDims = 3\nDimSize = " << nx << " " << ny
                                  << " " << nz << "\nElementType = MET_SHORT\n"
                                  << "ElementByteOrderMSB = False\nElementDataFile = ct.raw\n";
    const auto shots = [&](const std::string& open, const std::string& button,
                           const std::string& before) {
        return "open " + open + "\nselect " + fs::path(open).stem().string() + "\nbutton " +
               button + "\n" + before + "screenshot " + Path("off.png") +
               "\nset Color Bar Right\nscreenshot " + Path("right.png") +
               "\nset Color Bar Bottom\nscreenshot " + Path("bottom.png") + "\nquit\n";
    };
    // Pixels that differ between two pictures in a part of them.
    const auto changed = [](const QImage& a, const QImage& b, QRect part) {
        int count = 0;
        for (int y = part.top(); y <= part.bottom(); ++y) {
            for (int x = part.left(); x <= part.right(); ++x) {
                count += a.pixel(x, y) != b.pixel(x, y) ? 1 : 0;
            }
        }
        return count;
    };
    const Outcome volume =
        Batch(shots(Path("ct.mha"), "Volume Viewer", "set Lookup Table Rainbow\n"));
    ASSERT_EQ(volume.status, 0) << volume.err;
    QImage off(QString::fromStdString(Path("off.png")));
    QImage right(QString::fromStdString(Path("right.png")));
    QImage bottom(QString::fromStdString(Path("bottom.png")));
    ASSERT_FALSE(off.isNull() || right.isNull() || bottom.isNull());
    const int w = off.width(), h = off.height();
    const QRect rightStrip(w * 86 / 100, h / 10, w / 10, h * 8 / 10);
    const QRect bottomStrip(w / 5, h * 92 / 100, w * 3 / 5, h / 20);
    EXPECT_GT(changed(off, right, rightStrip), rightStrip.width() * rightStrip.height() / 4);
    EXPECT_EQ(changed(off, right, bottomStrip), 0);
    EXPECT_GT(changed(off, bottom, bottomStrip), bottomStrip.width() * bottomStrip.height() / 4);
    EXPECT_EQ(changed(off, bottom, rightStrip), 0);
    // The rainbow's ends: blue for the air (-1000) and red for the core are on the bar.
    auto red = [](QRgb p) { return qRed(p) > 200 && qGreen(p) < 60 && qBlue(p) < 60; };
    auto blue = [](QRgb p) { return qBlue(p) > 200 && qRed(p) < 60 && qGreen(p) < 60; };
    EXPECT_GT(Share(right.copy(rightStrip), red), 0.02);
    EXPECT_GT(Share(right.copy(rightStrip), blue), 0.02);

    // A surface without a colour map has no scale: the bar is not drawn.
    const Outcome surface = Batch(shots(kLocal + "/Kidney/kidney.stl", "Surface Viewer", ""));
    ASSERT_EQ(surface.status, 0) << surface.err;
    off.load(QString::fromStdString(Path("off.png")));
    right.load(QString::fromStdString(Path("right.png")));
    EXPECT_EQ(changed(off, right, off.rect()), 0);
}

// Relative names are taken from the folder the session was started in.
TEST_F(BatchModeTest, AWorkspaceComesBackAsSaved) {
    const Outcome saved = Batch(kOpenKidney + "select kidney\nbutton Surface Viewer\n" +
                                "select kidney_landmarks\nbutton Surface Viewer\n"
                                "select kidney\nset Representation Wireframe\n"
                                "workspace kidney.f\nscreenshot kidney.png\nvars\nlayers\nquit\n");
    ASSERT_EQ(saved.status, 0) << saved.err;
    EXPECT_TRUE(fs::is_regular_file(Path("kidney.f")));
    EXPECT_TRUE(fs::is_regular_file(Path("kidney.png")));
    const Outcome loaded =
        Batch("loadworkspace kidney.f\nvars\nlayers\nselect kidney\nprops\nquit\n");
    ASSERT_EQ(loaded.status, 0) << loaded.err;
    EXPECT_THAT(loaded.out, HasSubstr("workspace loaded"));
    const auto vars = saved.out.substr(saved.out.find("id      name"));
    EXPECT_THAT(loaded.out, HasSubstr(vars.substr(0, vars.find("View"))));
    EXPECT_THAT(loaded.out, HasSubstr("View\n  kidney\n  kidney_landmarks\n"));
    EXPECT_THAT(loaded.out, HasSubstr("MeshLayer\tRepresentation\tWireframe\tenabled"));
}

TEST_F(BatchModeTest, UnknownCommandsAndMissingTargetsFail) {
    const Outcome run = Batch("frobnicate\nselect Nowhere\nbutton Nobody\nquit\n");
    EXPECT_EQ(run.status, 1);
    EXPECT_THAT(run.err, HasSubstr("line 1: unknown command \"frobnicate\""));
    EXPECT_THAT(run.err, HasSubstr("line 2: no tree node \"Nowhere\""));
    EXPECT_THAT(run.err, HasSubstr("line 3: no component button \"Nobody\""));
}

// Each failed open, load or save is a failed command, and the session exits 1.
TEST_F(BatchModeTest, FailedOpensLoadsAndSavesFailTheSession) {
    // A workspace naming many missing files says so once, naming the first few.
    std::ofstream many(Path("many.f"));
    many << "# MODELS\n";
    for (int i = 0; i < 1000; ++i) {
        many << "model\tm" << i << "\t" << Path("gone" + std::to_string(i) + ".stl") << "\n";
    }
    many << "# VOLUMES\n# activated component\n# No component\n# THE END";
    many.close();
    fs::create_directory(Path("folder.f"));
    const Outcome open = Batch("open /no/such/file.vtk\n");
    EXPECT_EQ(open.status, 1);
    EXPECT_THAT(
        open.err,
        HasSubstr("line 1: file loading error\n/no/such/file.vtk: the file does not exist"));
    const Outcome missing = Batch("loadworkspace " + Path("many.f") + "\n");
    EXPECT_EQ(missing.status, 1);
    EXPECT_THAT(missing.out, Not(HasSubstr("prompt: ")));
    EXPECT_THAT(missing.err, HasSubstr("the 1000 data files " + Path("gone0.stl") + ", "));
    EXPECT_THAT(missing.err, HasSubstr(Path("gone9.stl") + " and 990 more are missing"));
    EXPECT_THAT(missing.err, Not(HasSubstr(Path("gone10.stl"))));
    const Outcome folder = Batch("loadworkspace " + Path("folder.f") + "\n");
    EXPECT_EQ(folder.status, 1);
    EXPECT_THAT(folder.err, HasSubstr(Path("folder.f") + " is a folder"));

    // Saves: a model name without a VTK extension is saved as legacy VTK with ".vtk"
    // added; a file that cannot be written is named with the reason.
    const Outcome saves = Batch(kOpenKidney + "select kidney\nanswer " + Path("kidney_fixed.stl") +
                                "\nsave\nanswer " + Path("none/kidney.vtk") + "\nsave\n" +
                                "workspace " + Path("none/work.f") + "\nquit\n");
    EXPECT_EQ(saves.status, 1);
    EXPECT_THAT(ReadAll(Path("kidney_fixed.stl.vtk")), HasSubstr("# vtk DataFile"));
    EXPECT_THAT(saves.out,
                HasSubstr("prompt: Cannot save the model kidney: " + Path("none/kidney.vtk") +
                          " cannot be written (its folder does not exist). -> ok"));
    EXPECT_THAT(saves.out, HasSubstr("prompt: Cannot save the workspace: " + Path("none/work.f")));
    EXPECT_THAT(saves.err, Not(HasSubstr("line 6:")));
    EXPECT_THAT(saves.err, HasSubstr("line 8: the model kidney was not saved"));
    EXPECT_THAT(saves.err, HasSubstr("line 9: the workspace was not saved"));
}

// An answer is for the command after it: one that no prompt took is an error and does
// not answer a later question.
TEST_F(BatchModeTest, AnUnusedAnswerFailsItsCommandAndIsDropped) {
    const Outcome run = Batch("answer yes\nworkspace " + Path("A.f") + "\nworkspace " +
                              Path("B.f") + "\nanswer no\n");
    EXPECT_EQ(run.status, 1);
    EXPECT_THAT(run.err, HasSubstr("line 2: no prompt of \"workspace\" took the answer \"yes\""));
    EXPECT_THAT(run.err, HasSubstr("no command followed the answer \"no\""));
    EXPECT_THAT(run.err, Not(HasSubstr("line 3:")));
    EXPECT_THAT(ReadAll(Path("A.f")), HasSubstr("# THE END"));
    EXPECT_THAT(ReadAll(Path("B.f")), HasSubstr("# THE END"));
}

// Command input that is no small text file is refused before anything is built, and
// standard input is read a bounded line at a time; none of these may take memory or hang.
TEST_F(BatchModeTest, CommandInputIsBounded) {
    // A memory limit turns unbounded growth into a quick failure; AddressSanitizer
    // reserves its shadow memory beyond any such limit, so there the timeout alone tells.
#if defined(__SANITIZE_ADDRESS__)
    const std::string bounded = "timeout 60 ";
#else
    const std::string bounded = "ulimit -v 4000000; timeout 60 ";
#endif
    ASSERT_EQ(::mkfifo(Path("fifo").c_str(), 0600), 0);
    for (const std::string& input : {std::string("/dev/zero"), Path("fifo")}) {
        const std::string command =
            bounded + kBin + "/varq --batch " + input + " 2> " + Path("err.txt");
        EXPECT_EQ(WEXITSTATUS(std::system(command.c_str())), 2) << input;
        EXPECT_THAT(ReadAll(Path("err.txt")), HasSubstr(input + " is not a regular file"));
    }
    const std::string piped =
        bounded + kBin + "/varq --batch - < /dev/zero > /dev/null 2> " + Path("err.txt");
    EXPECT_EQ(WEXITSTATUS(std::system(piped.c_str())), 1);
    EXPECT_THAT(ReadAll(Path("err.txt")), HasSubstr("line 1: longer than 65536 characters"));
}

TEST_F(BatchModeTest, WithoutADisplayItSaysSoAndExits1) {
    std::ofstream(Path("commands.txt")) << "help\n";
    const std::string command = "env -u DISPLAY -u QT_QPA_PLATFORM " + kBin + "/varq --batch " +
                                Path("commands.txt") + " > /dev/null 2> " + Path("err.txt");
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status)) << "no core dump";
    EXPECT_EQ(WEXITSTATUS(status), 1);
    EXPECT_THAT(ReadAll(Path("err.txt")), HasSubstr("run it under Xvfb"));
}

namespace {

// A CT-like volume: air at -1024 around a ball rising to 2000 in its middle, as an
// uncompressed MetaImage of signed 16-bit voxels.
void WriteCtVolume(const std::string& path) {
    const int n[3] = {48, 48, 32};
    std::ofstream out(path, std::ios::binary);
    out << "ObjectType = Image\nNDims = 3\nBinaryData = True\nBinaryDataByteOrderMSB = False\n"
           "CompressedData = False\nDimSize = 48 48 32\nElementSpacing = 1 1 1\n"
           "ElementType = MET_SHORT\nElementDataFile = LOCAL\n";
    for (int z = 0; z < n[2]; ++z) {
        for (int y = 0; y < n[1]; ++y) {
            for (int x = 0; x < n[0]; ++x) {
                const double r = std::hypot(x - 24.0, y - 24.0, (z - 16.0) * 1.5);
                const double value = r > 22 ? -1024 : std::min(2000.0, -1024 + (22 - r) * 200);
                const auto voxel = static_cast<std::int16_t>(value);
                out.write(reinterpret_cast<const char*>(&voxel), sizeof voxel);
            }
        }
    }
}

// The share of pixels that differ between two pictures of the same size.
double Changed(const QImage& a, const QImage& b) {
    if (a.isNull() || a.size() != b.size()) {
        return -1;
    }
    int count = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            count += a.pixel(x, y) != b.pixel(x, y) ? 1 : 0;
        }
    }
    return static_cast<double>(count) / (a.width() * a.height());
}

}  // namespace

// `set` is an edit: each row, dialog rows included, changes the layer and the picture
// through the same path as a person's edit, and the workspace written afterwards holds
// it; a value a row cannot take is refused by name and changes nothing.
TEST_F(BatchModeTest, SetChangesTheLayerThePictureAndTheWorkspace) {
    WriteCtVolume(Path("ct.mha"));
    {
        std::ofstream colorMap(Path("map.txt"));
        for (int i = 0; i < 50000; ++i) {
            colorMap << i % 997 << "\n";
        }
    }
    const auto shot = [&](int i) {
        return "screenshot " + Path("s" + std::to_string(i) + ".png") + "\n";
    };
    const Outcome run =
        Batch("open " + Path("ct.mha") + "\nopen " + kLocal + "/Kidney/kidney.stl\n" +
              "select ct\nbutton Volume Viewer\n" + shot(0) + "set Contrast -50, 150\n" + shot(1) +
              "set Slice 10, 30, 8\n" + shot(2) +
              "set Transform [1, 0, 0, 12; 0, 1, 0, 0; 0, 0, 1, 0; 0, 0, 0, 1]\n" + shot(3) +
              "set Opacity 40\n" + shot(4) +
              "set Contrast 150, -50\nset Slice 10, 30, 99\nset Opacity 58.5\nset Color Map " +
              Path("map.txt") + "\n" + shot(5) + "props\nworkspace " + Path("v.f") + "\n" +
              "newtab\nselect kidney\nbutton Surface Viewer\n" + shot(6) + "set Color Map " +
              Path("map.txt") + "\n" + shot(7) + "set Opacity 30\n" + shot(8) + "set Color Map " +
              Path("nothing.txt") + "\nprops\nworkspace " + Path("w.f") + "\nquit\n");
    EXPECT_EQ(run.status, 1) << "the refused values fail their lines";
    // Refusals name the row and what it accepts.
    EXPECT_THAT(run.err,
                HasSubstr("\"150, -50\" is refused: the row \"Contrast\" accepts two numbers"));
    EXPECT_THAT(run.err, HasSubstr("the row \"Slice\" accepts three whole numbers x, y, z within"));
    EXPECT_THAT(run.err, HasSubstr("the row \"Opacity\" accepts a whole number 0..100"));
    EXPECT_THAT(run.err, HasSubstr("line 17: no property row at the start of \"Color Map"));
    EXPECT_THAT(run.err, HasSubstr("the row \"Color Map\" accepts the path of a file of numbers"));

    std::vector<QImage> shots;
    for (int i = 0; i <= 8; ++i) {
        shots.emplace_back(QString::fromStdString(Path("s" + std::to_string(i) + ".png")));
        ASSERT_FALSE(shots.back().isNull()) << i;
    }
    // Each edit changes the picture; the refused ones leave it as it was.
    EXPECT_GT(Changed(shots[0], shots[1]), 0.01) << "Contrast";
    EXPECT_GT(Changed(shots[1], shots[2]), 0.01) << "Slice";
    EXPECT_GT(Changed(shots[2], shots[3]), 0.01) << "Transform";
    EXPECT_GT(Changed(shots[3], shots[4]), 0.01) << "Opacity of the volume";
    EXPECT_EQ(Changed(shots[4], shots[5]), 0.0) << "refused values";
    EXPECT_GT(Changed(shots[6], shots[7]), 0.01) << "Color Map";
    EXPECT_GT(Changed(shots[7], shots[8]), 0.01) << "Opacity of the surface";

    // The sheet shows what the layers took, and the workspace holds it.
    EXPECT_THAT(run.out, HasSubstr("Image3DLayer\tContrast\t[-50.0, 150.0]\tenabled"));
    EXPECT_THAT(run.out, HasSubstr("Image3DLayer\tSlice\t10, 30, 8\tenabled"));
    EXPECT_THAT(run.out, HasSubstr("Image3DLayer\tOpacity\t40\tenabled"));
    EXPECT_THAT(run.out, HasSubstr("MeshLayer\tColor Map\tTrue\tenabled"));
    EXPECT_THAT(run.out, HasSubstr("MeshLayer\tOpacity\t30\tenabled"));
    const std::string volume = ReadAll(Path("v.f"));
    EXPECT_THAT(volume, HasSubstr("Slice=10, 30, 8"));
    EXPECT_THAT(volume, HasSubstr("Contrast=[-50.0, 150.0]"));
    EXPECT_THAT(volume, HasSubstr("Opacity=0.4\t"));
    EXPECT_THAT(volume, HasSubstr("Transform=[1, 0, 0, 12; 0, 1, 0, 0; 0, 0, 1, 0; 0, 0, 0, 1]"));
    const std::string surface = ReadAll(Path("w.f"));
    EXPECT_THAT(surface, HasSubstr("Opacity=0.3"));
    EXPECT_THAT(surface, HasSubstr("Color Map=True"));
}

TEST_F(BatchModeTest, AModuleThatFailsToLoadIsReportedAndTheRestRuns) {
    // An application folder of its own: the program, the shipped viewer and a broken module.
    const fs::path app = Path("app");
    fs::create_directories(app / "bin" / "Modules");
    fs::create_symlink(fs::path(kBin).parent_path() / "lib", app / "lib");
    fs::copy_file(kBin + "/varq", app / "bin" / "varq");
    fs::copy_file(kBin + "/Modules/libSurfaceViewer.so",
                  app / "bin" / "Modules" / "libSurfaceViewer.so");
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
    ASSERT_EQ(::mkfifo(Path("fifo.vq").c_str(), 0600), 0);
    const Outcome run = Batch("preview " + kLocal + "/Kidney/kidney_ct.vq\npreview " +
                              Path("broken.vq") + "\npreview " + Path("fifo.vq") + "\npreview " +
                              Path("") + "\npreview " + Path("none.vq") + "\nquit\n");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_THAT(run.out, HasSubstr(" x "));
    EXPECT_THAT(run.out, HasSubstr("error: the VQ file may have been corrupted"));
    EXPECT_THAT(run.out,
                HasSubstr("error: " + Path("fifo.vq") + " is not a regular file (it is a pipe)"));
    EXPECT_THAT(run.out, HasSubstr("error: " + Path("") + " is a folder"));
    EXPECT_THAT(run.out, HasSubstr("error: " + Path("none.vq") + " does not exist"));
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
