// The real varq program in batch mode, with the shipped modules and samples, under Xvfb.
#include <sys/stat.h>
#include <sys/wait.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include <QApplication>
#include <QDockWidget>
#include <QCoreApplication>
#include <QImage>
#include <QMainWindow>
#include <QTemporaryDir>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "ConfigurationFiles.h"
#include "DicomWriting.h"
#include "OrthancServer.h"

using ::testing::AllOf;
using ::testing::HasSubstr;
using ::testing::Not;

namespace fs = std::filesystem;

namespace {

const std::string kBin = APPLICATION_BIN_DIR;
const std::string kLocal = kBin + "/local";

struct Outcome {
    int status = -1;
    std::string out, err;
};

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class BatchModeTest : public ::testing::Test {
protected:
    // Runs `varq --batch` over `commands`, by default the build's own program.
    Outcome Batch(const std::string& commands, const std::string& varq = kBin + "/varq") {
        std::ofstream(Path("commands.txt")) << commands;
        const std::string command = "cd " + Path("") + " && " + varq + " --batch " +
                                    Path("commands.txt") + " > " + Path("out.txt") + " 2> " +
                                    Path("err.txt");
        const int status = std::system(command.c_str());
        return {WEXITSTATUS(status), ReadAll(Path("out.txt")), ReadAll(Path("err.txt"))};
    }
    std::string Path(const std::string& name) const {
        return m_dir.path().toStdString() + "/" + name;
    }
    QImage Shot(const std::string& name) const {
        return QImage(QString::fromStdString(Path(name)));
    }

    QTemporaryDir m_dir;
};

// A CT-like MetaImage: air at -1024 around a ball rising to 2000 in its middle.
void WriteCtVolume(const std::string& path) {
    std::ofstream out(path, std::ios::binary);
    out << "ObjectType = Image\nNDims = 3\nBinaryData = True\nBinaryDataByteOrderMSB = False\n"
           "CompressedData = False\nDimSize = 48 48 32\nElementSpacing = 1 1 1\n"
           "ElementType = MET_SHORT\nElementDataFile = LOCAL\n";
    for (int i = 0; i < 48 * 48 * 32; ++i) {
        const double r = std::hypot(i % 48 - 24.0, i / 48 % 48 - 24.0, (i / 2304 - 16.0) * 1.5);
        const auto voxel =
            static_cast<std::int16_t>(r > 22 ? -1024 : std::min(2000.0, -1024 + (22 - r) * 200));
        out.write(reinterpret_cast<const char*>(&voxel), sizeof voxel);
    }
}

// The share of the pixels in `part` of a picture for which `counts(x, y)` holds.
double Share(QRect part, const std::function<bool(int, int)>& counts) {
    int count = 0;
    for (int y = part.top(); y <= part.bottom(); ++y) {
        for (int x = part.left(); x <= part.right(); ++x) {
            count += counts(x, y) ? 1 : 0;
        }
    }
    return static_cast<double>(count) / (part.width() * part.height());
}
// The share of pixels in a picture that are clearly of the given hue.
double Share(const QImage& image, bool (*wanted)(QRgb)) {
    return Share(image.rect(), [&](int x, int y) { return wanted(image.pixel(x, y)); });
}
// The share of pixels in `part` (all when empty) that differ; -1 for different sizes.
double Changed(const QImage& a, const QImage& b, QRect part = QRect()) {
    if (a.isNull() || a.size() != b.size()) {
        return -1;
    }
    return Share(part.isEmpty() ? a.rect() : part,
                 [&](int x, int y) { return a.pixel(x, y) != b.pixel(x, y); });
}

// A volume in RAS space whose voxel (i, j, k) holds i + 40 j + 1200 k, 40 x 30 x 20 voxels of
// 1 x 1 x 2 mm from (-10, -20, 5).
void WriteRasVolume(const std::string& path) {
    std::ofstream out(path, std::ios::binary);
    out << "NRRD0004\ntype: short\ndimension: 3\nspace: right-anterior-superior\n"
           "sizes: 40 30 20\nspace directions: (1,0,0) (0,1,0) (0,0,2)\n"
           "space origin: (-10,-20,5)\nendian: little\nencoding: raw\n\n";
    for (int k = 0; k < 20; ++k) {
        for (int j = 0; j < 30; ++j) {
            for (int i = 0; i < 40; ++i) {
                const auto voxel = static_cast<std::int16_t>(i + 40 * j + 1200 * k);
                out.write(reinterpret_cast<const char*>(&voxel), sizeof voxel);
            }
        }
    }
}

// The numbers of each overlay line that starts with `position`, in order.
std::vector<std::vector<double>> OverlayNumbers(const std::string& out,
                                                const std::string& position) {
    std::vector<std::vector<double>> lines;
    const std::regex number("-?[0-9]+(\\.[0-9]+)?");
    std::istringstream in(out);
    for (std::string line; std::getline(in, line);) {
        if (line.rfind(position + ": ", 0) == 0) {
            lines.emplace_back();
            for (std::sregex_iterator it(line.begin(), line.end(), number), end; it != end; ++it) {
                lines.back().push_back(std::stod(it->str()));
            }
        }
    }
    return lines;
}

const std::string kOpenKidney = "open " + kLocal + "/Kidney/kidney.stl\n" + "open " + kLocal +
                                "/Kidney/kidney_landmarks.fcsv\n" + "open " + kLocal +
                                "/Kidney/kidney_ct.mha\n";

}  // namespace

TEST_F(BatchModeTest, ButtonsShowWhatIsSelectedAndClearingTheViewerIsAsked) {
    const Outcome run = Batch(kOpenKidney +
                              "select kidney\nbutton Surface Viewer\n"
                              "select kidney_landmarks\nbutton Surface Viewer\nprops\n"
                              "select kidney_ct\nbutton Volume Viewer\nlayers\nprops\n"
                              "answer yes\nbutton Volume Viewer\nlayers\nnewtab\nprops\nlayers\n"
                              "select Images\nbutton Volume Viewer\nlayers\n"
                              "select kidney_ct.mha\nbutton Volume Viewer\nlayers\nquit\n");
    EXPECT_EQ(run.status, 0) << run.err;
    // After adding a layer the sheet shows that layer.
    const std::string added = run.out.substr(run.out.find("Viewer\tIsA"));
    EXPECT_THAT(added.substr(0, added.find("prompt:")),
                AllOf(HasSubstr("LandmarkLayer\tSize\t"), Not(HasSubstr("MeshLayer"))));
    // No: the tree and the sheet show what is shown, not the selection.
    const std::string no =
        "prompt: Clear current viewer? -> no\nView\n  kidney\n  kidney_landmarks\nViewer\t";
    ASSERT_THAT(run.out, HasSubstr(no));
    const std::string sheet = run.out.substr(run.out.find(no));
    EXPECT_THAT(sheet.substr(0, sheet.find("prompt:", 1)),
                AllOf(HasSubstr("LandmarkLayer\tSize\t"), Not(HasSubstr("Image3DLayer"))));
    // Yes: the volume; a new tab shows nothing (its "props" printed no row), "coolstart"
    // on a category neither, then the repository file's volume.
    EXPECT_THAT(run.out, HasSubstr("prompt: Clear current viewer? -> yes\nView\n  kidney_ct\n"
                                   "View\n  No Layers\nView\nView\n  kidney_ct\n"));
}

TEST_F(BatchModeTest, TheColorBarShowsTheScaleOfAVolumeAndNothingForAPlainSurface) {
    WriteCtVolume(Path("ct.mha"));
    const auto shot = [&](const std::string& name) { return "screenshot " + Path(name) + "\n"; };
    const Outcome run =
        Batch("open " + Path("ct.mha") + "\nopen " + kLocal + "/Kidney/kidney.stl\nselect ct\n" +
              "button Volume Viewer\nset Lookup Table Rainbow\n" + shot("off.png") +
              "set Color Bar Right\n" + shot("right.png") + "set Color Bar Bottom\n" +
              shot("bottom.png") + "newtab\nselect kidney\nbutton Surface Viewer\n" +
              shot("plain.png") + "set Color Bar Right\n" + shot("plainRight.png") + "quit\n");
    ASSERT_EQ(run.status, 0) << run.err;
    const QImage off = Shot("off.png"), right = Shot("right.png"), bottom = Shot("bottom.png");
    const int w = off.width(), h = off.height();
    const QRect rightStrip(w * 86 / 100, h / 10, w / 10, h * 8 / 10);
    const QRect bottomStrip(w / 5, h * 92 / 100, w * 3 / 5, h / 20);
    EXPECT_GT(Changed(off, right, rightStrip), 0.25);
    EXPECT_LT(Changed(off, right, bottomStrip), 0.02);  // the labels may reach over
    EXPECT_GT(Changed(off, bottom, bottomStrip), 0.25);
    EXPECT_LT(Changed(off, bottom, rightStrip), 0.02);
    // The rainbow's ends, blue for the air and red for the core, are on the bar.
    auto red = [](QRgb p) { return qRed(p) > 200 && qGreen(p) < 60 && qBlue(p) < 60; };
    auto blue = [](QRgb p) { return qBlue(p) > 200 && qRed(p) < 60 && qGreen(p) < 60; };
    EXPECT_GT(Share(right.copy(rightStrip), red), 0.02);
    EXPECT_GT(Share(right.copy(rightStrip), blue), 0.02);
    // A surface without a colour map has no scale: the bar is not drawn.
    EXPECT_EQ(Changed(Shot("plain.png"), Shot("plainRight.png")), 0);
}

// Every view command on a volume whose geometry and values are known.
TEST_F(BatchModeTest, SliceViewsPageWindowReadOutNameThePatientsSidesAndLinkFourViews) {
    WriteRasVolume(Path("ras.nrrd"));
    const Outcome run =
        Batch("open " + Path("ras.nrrd") +
              "\nselect ras\nbutton Volume Viewer\nscreenshot planes.png\n"
              "module Volume Viewer mode slice\ncamera anterior\nslice 40\nwindow 0 10\n"
              "screenshot slice.png 640x480\nmouse move 400 300\nmouse move 420 280\n"
              "slice 3\nmouse wheel up 2\nkey Prior\nkey Down\noverlay\n"
              "window 400 40\nmouse drag 400 300 480 340\noverlay\nprops\n"
              "module Volume Viewer mode four\nscreenshot four.png\n"
              "mouse click 150 100\noverlay\nscreenshot cross.png\nmouse drag 150 100 190 100\n"
              "mouse click 100 450\noverlay\n"
              "quit\n");
    EXPECT_EQ(run.status, 1);
    EXPECT_THAT(run.err, HasSubstr("line 6: a 2D slice view keeps looking at its slice"));
    EXPECT_THAT(run.err, HasSubstr("line 7: slice needs a whole number from 0 to 19"));
    EXPECT_THAT(run.err, HasSubstr("line 8: window needs a width above 0"));
    // An axial slice of a RAS image as radiologists read it: the patient's right on the left.
    EXPECT_THAT(run.out, HasSubstr("lower edge: P\nright edge: L\nleft edge: R\nupper edge: A\n"));
    EXPECT_THAT(run.out, HasSubstr("left edge: A\nupper edge: S\n"));  // the sagittal view

    // Readouts: the value is the voxel's, the position in mm is on that voxel, and moving
    // the mouse right and up goes to the patient's left (-i) and front (+j).
    const auto readouts = OverlayNumbers(run.out, "lower left");
    ASSERT_GE(readouts.size(), 3u);
    for (const auto& r : readouts) {
        ASSERT_EQ(r.size(), 7u);  // value, i, j, k, x, y, z
        EXPECT_EQ(r[0], r[1] + 40 * r[2] + 1200 * r[3]);
        EXPECT_NEAR(r[4], -10 + r[1], 0.5);
        EXPECT_NEAR(r[5], -20 + r[2], 0.5);
        EXPECT_NEAR(r[6], 5 + 2 * r[3], 1.0);
    }
    // Slice 3, two wheel steps, Page Up, Down: slice 14 of 0..19.
    const auto slices = OverlayNumbers(run.out, "upper left");
    ASSERT_GE(slices.size(), 2u);
    EXPECT_EQ(slices[0], (std::vector<double>{14, 19}));
    // A drag 80 pixels right and 40 down from window 400, level 40 over values 0..23999 in
    // an 800 pixel wide view; the Contrast row follows.
    const auto windows = OverlayNumbers(run.out, "upper right");
    ASSERT_GE(windows.size(), 2u);
    const double perPixel = 23999.0 / 800;
    EXPECT_NEAR(windows[1][0], 400 + 80 * perPixel, 0.1);
    EXPECT_NEAR(windows[1][1], 40 - 40 * perPixel, 0.1);
    EXPECT_THAT(run.out, HasSubstr("ImageLayer\tContrast\t[-2559.9, 240.0]\tenabled"));
    // The four views keep that window; one set in the axial view (398 pixels wide, the
    // seam taken off) is taken by the sagittal view.
    ASSERT_EQ(windows.size(), 4u);
    EXPECT_EQ(windows[2], windows[1]);
    EXPECT_NEAR(windows[3][0], windows[2][0] + 40 * 23999.0 / 398, 0.1);

    // Four views: a click in the axial view moves the sagittal view to the voxel clicked.
    ASSERT_EQ(readouts.size(), 4u);
    ASSERT_EQ(slices.size(), 4u);
    EXPECT_EQ(slices[3][0], readouts[2][1]);
    EXPECT_EQ(slices[3][1], 39);
    // The crosshair's lines cross on the voxel clicked in the axial view (10 pixels a voxel).
    const QImage cross = Shot("cross.png");
    auto green = [&](int x, int y) {
        const QRgb p = cross.pixel(x, y);
        return qGreen(p) > 150 && qRed(p) < 150 && qBlue(p) < 150;
    };
    EXPECT_GT(Share(QRect(140, 0, 21, 300), green), 0.04);  // a full column of 21
    EXPECT_GT(Share(QRect(0, 90, 400, 21), green), 0.04);   // a full row of 21

    // Pictures of each layout, at the size asked for; the four views' 2D quarters are on black.
    EXPECT_EQ(Shot("slice.png").size(), QSize(640, 480));
    const QImage planes = Shot("planes.png"), four = Shot("four.png");
    ASSERT_EQ(four.size(), QSize(800, 600));
    auto black = [](QRgb p) { return qRed(p) + qGreen(p) + qBlue(p) == 0; };
    EXPECT_LT(Share(planes, black), 0.01);
    for (const QRect quarter :
         {QRect(0, 0, 400, 300), QRect(0, 300, 400, 300), QRect(400, 300, 400, 300)}) {
        EXPECT_GT(Share(four.copy(quarter), black), 0.05);
    }
    EXPECT_LT(Share(four.copy(QRect(400, 0, 400, 300)), black), 0.01);
}

// Volume rendering: every preset draws its own picture, unlike the planes; the rows change
// it; cropping to the patient's left half hides the right; a workspace brings it back.
TEST_F(BatchModeTest, VolumeRenderingPresetsRowsAndCropping) {
    WriteCtVolume(Path("ct.mha"));
    std::string commands = "open " + Path("ct.mha") +
                           "\nselect ct\nbutton Volume Viewer\nscreenshot planes.png 240x180\n"
                           "module Volume Viewer mode volume\ncamera anterior\n";
    const std::vector<std::string> presets = {"CT Bone",  "CT Soft Tissue", "CT Lung",
                                              "CT Angio", "MR Default",     "MIP"};
    for (std::size_t i = 0; i < presets.size(); ++i) {
        commands +=
            "set Preset " + presets[i] + "\nscreenshot p" + std::to_string(i) + ".png 240x180\n";
    }
    commands +=
        "set Preset CT Bone\nset Opacity 30\nscreenshot opacity.png 240x180\n"
        "set Opacity 100\nset Contrast -1000, 3000\nscreenshot contrast.png 240x180\n"
        "set Contrast -1000, 1500\nset Cropping On\nscreenshot box.png 240x180\n"
        "set Cropping Box 24, 47, 0, 47, 0, 31\n"
        "screenshot cropped.png 240x180\nworkspace v.f\nquit\n";
    const Outcome run = Batch(commands);
    ASSERT_EQ(run.status, 0) << run.err;

    std::vector<QImage> shots = {Shot("planes.png")};
    for (std::size_t i = 0; i < presets.size(); ++i) {
        shots.push_back(Shot("p" + std::to_string(i) + ".png"));
    }
    for (std::size_t i = 0; i < shots.size(); ++i) {
        for (std::size_t j = i + 1; j < shots.size(); ++j) {
            EXPECT_GT(Changed(shots[i], shots[j]), 0.02) << i << " and " << j;
        }
    }
    EXPECT_GT(Changed(shots[1], Shot("opacity.png")), 0.02);
    EXPECT_GT(Changed(shots[1], Shot("contrast.png")), 0.02);

    // Seen from the front, the patient's left (+x) is on the right of the picture.
    const QImage whole = shots[1], cropped = Shot("cropped.png");
    const QRgb background = whole.pixel(2, 2);
    auto drawn = [&](const QImage& shot, QRect half) {
        return Share(half, [&](int x, int y) { return shot.pixel(x, y) != background; });
    };
    const QRect right(0, 0, 120, 180), left(120, 0, 120, 180);
    EXPECT_GT(drawn(whole, right), 0.05);
    EXPECT_LT(drawn(cropped, right), drawn(whole, right) / 4);
    EXPECT_GT(drawn(cropped, left), drawn(whole, left) / 2);
    EXPECT_LT(Changed(Shot("box.png"), whole), 0.1) << "the whole box crops nothing";

    const Outcome loaded = Batch("loadworkspace v.f\nselect ct\nprops\nquit\n");
    ASSERT_EQ(loaded.status, 0) << loaded.err;
    EXPECT_THAT(loaded.out, HasSubstr("VolumeLayer\tCropping\tOn\tenabled"));
    EXPECT_THAT(ReadAll(Path("v.f")), HasSubstr("Cropping Box=24, 47, 0, 47, 0, 31"));
}

// Measurements by numbers and by two clicks on a slice, listed, edited, saved and read back.
TEST_F(BatchModeTest, MeasurementsArePlacedListedEditedAndSaved) {
    WriteRasVolume(Path("ras.nrrd"));
    const Outcome run =
        Batch("open " + Path("ras.nrrd") +
              "\nselect ras\nbutton Volume Viewer\n"
              "module Volume Viewer mode slice\nmeasure distance 1 2 3 4 6 15\n"
              "measure angle 1 0 0 0 0 0 0 1 0\nmeasure distance 1 2\n"
              "mouse move 300 300\noverlay\nmouse move 500 200\noverlay\n"
              "measure distance\nmouse click 300 300\nmouse click 500 200\nlayers\n"
              "layer Distance 2\nprops\nset Points 0, 0, 0; 0, 0, 7\nworkspace m.f\nquit\n");
    EXPECT_EQ(run.status, 1);
    EXPECT_THAT(run.out, HasSubstr("Distance 1: 13.00 mm\nAngle 1: 90.0 deg\n"));
    EXPECT_THAT(run.err, HasSubstr("line 7: measure distance needs a number"));
    EXPECT_THAT(run.out, HasSubstr("View\n  ras\n  Distance 1\n  Angle 1\n  Distance 2\n"));
    // The clicked ruler spans what the readouts at its ends say, to a tenth of a mm.
    const auto ends = OverlayNumbers(run.out, "lower left");
    ASSERT_EQ(ends.size(), 2u);
    const double expected = std::hypot(ends[0][4] - ends[1][4], ends[0][5] - ends[1][5]);
    const auto value = run.out.find("MeasureLayer\tValue\t");
    ASSERT_NE(value, std::string::npos);
    EXPECT_NEAR(std::stod(run.out.substr(value + 19)), expected, 0.15);
    EXPECT_THAT(run.out, HasSubstr("MeasureLayer\tKind\tDistance\tdisabled"));

    const Outcome loaded = Batch("loadworkspace m.f\nlayers\nlayer Distance 2\nprops\nquit\n");
    EXPECT_EQ(loaded.status, 0) << loaded.err;
    EXPECT_THAT(loaded.out, HasSubstr("  Angle 1\n  Distance 2\n"));
    EXPECT_THAT(loaded.out, HasSubstr("MeasureLayer\tValue\t7.00 mm\tdisabled"));
}

TEST_F(BatchModeTest, UndoAndRedoPutBackValuesPicturesAddsAndMeasurements) {
    std::string commands = "open " + kLocal +
                           "/Kidney/kidney.stl\nselect kidney\nbutton Surface Viewer\n"
                           "screenshot a.png\nset Opacity 40\nset Color #ff0000\nscreenshot b.png\n"
                           "undo\nundo\nscreenshot c.png\nredo\nprops\n"
                           "measure distance 1 2 3 4 6 15\nundo\nlayers\nredo\nlayers\n"
                           "set Opacity 20\nredo\nundo\nundo\nundo\nundo\nlayers\nredo\n";
    // More steps than the history keeps: the oldest go.
    for (int i = 0; i < 105; ++i) {
        commands += "set Opacity " + std::to_string(i % 2 == 0 ? 50 : 60) + "\n";
    }
    for (int i = 0; i < 101; ++i) {
        commands += "undo\n";
    }
    const Outcome run = Batch(commands + "props\nquit\n");
    EXPECT_EQ(run.status, 1);
    EXPECT_THAT(run.out, HasSubstr("undone: Color 219, 140, 120 \u2192 255, 0, 0\n"
                                   "undone: Opacity 100 \u2192 40\n"
                                   "redone: Opacity 100 \u2192 40\n"));
    EXPECT_THAT(run.out, HasSubstr("MeshLayer\tOpacity\t40\tenabled"));
    // The picture comes back as it was.
    EXPECT_GT(Changed(Shot("a.png"), Shot("b.png")), 0.01);
    EXPECT_LT(Changed(Shot("a.png"), Shot("c.png")), 0.001);
    // A measurement goes and comes back; a new step leaves nothing to redo.
    EXPECT_THAT(run.out, HasSubstr("undone: Add Distance 1\nView\n  kidney\nredone: Add "
                                   "Distance 1\nView\n  kidney\n  Distance 1\n"));
    EXPECT_THAT(run.err, HasSubstr("line 19: nothing to redo"));
    // Undoing the add empties the viewer.
    EXPECT_THAT(run.out, HasSubstr("undone: Add kidney\nView\nredone: Add kidney\n"));
    // 100 of the 105 steps are kept: the last undo finds none, at opacity 50 of step 5.
    EXPECT_THAT(run.err, HasSubstr("line 231: nothing to undo"));
    EXPECT_THAT(run.err, Not(HasSubstr("line 230:")));
    EXPECT_THAT(run.out, HasSubstr("MeshLayer\tOpacity\t50\tenabled"));
}

TEST_F(BatchModeTest, UnknownCommandsMissingTargetsAndUnusedAnswersFail) {
    std::ofstream(Path("broken.vq")) << "not a volume";
    const Outcome run =
        Batch("frobnicate\nselect Nowhere\nbutton Nobody\nopen /no/such/file.vtk\npreview " +
              kLocal + "/Kidney/kidney_ct.vq\npreview " + Path("broken.vq") + "\nanswer yes\n" +
              "workspace " + Path("A.f") + "\nworkspace " + Path("B.f") + "\nanswer no\n");
    EXPECT_EQ(run.status, 1);
    EXPECT_THAT(run.out, HasSubstr(" x "));
    EXPECT_THAT(run.out, HasSubstr("error: the VQ file may have been corrupted"));
    for (const char* error :
         {"line 1: unknown command \"frobnicate\"", "line 2: no tree node \"Nowhere\"",
          "line 3: no component button \"Nobody\"",
          "line 4: file loading error\n/no/such/file.vtk: the file does not exist",
          "line 8: no prompt of \"workspace\" took the answer \"yes\"",
          "no command followed the answer \"no\""}) {
        EXPECT_THAT(run.err, HasSubstr(error));
    }
    EXPECT_THAT(run.err, Not(HasSubstr("line 9:")));
    EXPECT_THAT(ReadAll(Path("A.f")), HasSubstr("# THE END"));
    EXPECT_THAT(ReadAll(Path("B.f")), HasSubstr("# THE END"));
}

// Each failed load or save is a failed command, and the session exits 1.
TEST_F(BatchModeTest, FailedOpensLoadsAndSavesFailTheSession) {
    // A workspace naming many missing files says so once, naming the first few.
    std::string many = "# MODELS\n";
    for (int i = 0; i < 1000; ++i) {
        many += "model\tm" + std::to_string(i) + "\t" + Path("gone" + std::to_string(i) + ".stl\n");
    }
    std::ofstream(Path("many.f")) << many
                                  << "# VOLUMES\n# activated component\n# No component\n# THE END";
    fs::create_directory(Path("folder.f"));
    const Outcome loads =
        Batch("loadworkspace " + Path("many.f") + "\nloadworkspace " + Path("folder.f") + "\n");
    EXPECT_EQ(loads.status, 1);
    EXPECT_THAT(loads.out, Not(HasSubstr("prompt: ")));
    EXPECT_THAT(loads.err, HasSubstr("the 1000 data files " + Path("gone0.stl") + ", "));
    EXPECT_THAT(loads.err, HasSubstr(Path("gone9.stl") + " and 990 more are missing"));
    EXPECT_THAT(loads.err, Not(HasSubstr(Path("gone10.stl"))));
    EXPECT_THAT(loads.err, HasSubstr(Path("folder.f") + " is a folder"));

    // A model name without a VTK extension is saved as legacy VTK with ".vtk" added.
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

// `open` takes several files, one result each; --progress tells on standard error how far.
TEST_F(BatchModeTest, OpenTakesSeveralFilesAndProgressGrowsToTheEnd) {
    WriteCtVolume(Path("c d.mha"));
    std::ofstream(Path("bad.stl")) << "solid bad\nfacet normal 0 0 1\n";
    const Outcome run = Batch("open " + kLocal + "/Kidney/kidney.stl " + Path("bad.stl") + " \"" +
                                  Path("c d.mha") + "\"\nvars\n",
                              kBin + "/varq --progress");
    EXPECT_EQ(run.status, 1);
    EXPECT_THAT(run.out, HasSubstr("\nFile loaded\nFile loaded\n"));
    EXPECT_THAT(run.out,
                HasSubstr("prompt: 1 of 3 files could not be opened:\n" + Path("bad.stl")));
    EXPECT_THAT(run.out, AllOf(HasSubstr("kidney "), HasSubstr("c d ")));
    EXPECT_THAT(run.err, HasSubstr("line 1: file loading error\n" + Path("bad.stl") + ": "));
    // Each loaded file's percentages grow and end at 100; the bad one never gets there.
    std::map<std::string, std::vector<int>> percents;
    const std::regex line("progress: (.+) ([0-9]+)%");
    std::istringstream err(run.err);
    for (std::string text; std::getline(err, text);) {
        if (std::smatch m; std::regex_match(text, m, line)) {
            percents[m[1]].push_back(std::stoi(m[2]));
        }
    }
    for (const char* name : {"kidney.stl", "c d.mha"}) {
        ASSERT_FALSE(percents[name].empty()) << name;
        EXPECT_TRUE(std::is_sorted(percents[name].begin(), percents[name].end()) &&
                    std::adjacent_find(percents[name].begin(), percents[name].end()) ==
                        percents[name].end())
            << name;
        EXPECT_EQ(percents[name].back(), 100) << name;
    }
    EXPECT_THAT(percents["bad.stl"], Not(::testing::Contains(100)));
    // Progress lines belong to batch mode.
    EXPECT_EQ(WEXITSTATUS(std::system((kBin + "/varq --progress 2> /dev/null").c_str())), 2);
}

// Input that is no small text file is refused; standard input is read a bounded line at a time.
TEST_F(BatchModeTest, CommandInputIsBoundedAndADisplayNeeded) {
    // AddressSanitizer's shadow memory exceeds any memory limit: there the timeout alone tells.
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

    // Without a display it says so and exits 1.
    std::ofstream(Path("commands.txt")) << "help\n";
    const int status = std::system(("env -u DISPLAY -u QT_QPA_PLATFORM " + kBin + "/varq --batch " +
                                    Path("commands.txt") + " > /dev/null 2> " + Path("err.txt"))
                                       .c_str());
    ASSERT_TRUE(WIFEXITED(status)) << "no core dump";
    EXPECT_EQ(WEXITSTATUS(status), 1);
    EXPECT_THAT(ReadAll(Path("err.txt")), HasSubstr("run it under Xvfb"));
}

// `set` edits a row as a person would; a value the row cannot take is refused by name.
TEST_F(BatchModeTest, SetChangesTheLayerThePictureAndTheWorkspace) {
    WriteCtVolume(Path("ct.mha"));
    {
        std::ofstream colorMap(Path("map.txt"));
        for (int i = 0; i < 50000; ++i) {
            colorMap << i % 997 << "\n";
        }
    }
    // A screenshot follows each step; step 5 is values the rows refuse.
    const std::vector<std::string> steps = {
        "select ct\nbutton Volume Viewer",
        "set Contrast -50, 150",
        "set Slice 10, 30, 8",
        "set Transform [1, 0, 0, 12; 0, 1, 0, 0; 0, 0, 1, 0; 0, 0, 0, 1]",
        "set Opacity 40",
        "set Contrast 150, -50\nset Slice 10, 30, 99\nset Opacity 58.5\nset Color Map " +
            Path("map.txt"),
        "props\nworkspace " + Path("v.f") + "\nnewtab\nselect kidney\nbutton Surface Viewer",
        "set Color #ff0000",
        "set Color Map " + Path("map.txt"),
        "set Opacity 30"};
    std::string commands = "open " + Path("ct.mha") + "\nopen " + kLocal + "/Kidney/kidney.stl\n";
    for (std::size_t i = 0; i < steps.size(); ++i) {
        commands += steps[i] + "\nscreenshot s" + std::to_string(i) + ".png\n";  // relative
    }
    const Outcome run = Batch(commands + "set Color Map " + Path("nothing.txt") +
                              "\nprops\nworkspace w.f\nvars\nquit\n");
    EXPECT_EQ(run.status, 1) << "the refused values fail their lines";
    // Refusals name the row and what it accepts (the rows' texts: PropertySheetTest).
    EXPECT_THAT(run.err,
                HasSubstr("\"150, -50\" is refused: the row \"Contrast\" accepts two numbers"));
    EXPECT_THAT(run.err, HasSubstr("line 17: no property row at the start of \"Color Map"));
    EXPECT_THAT(run.err, HasSubstr("the row \"Color Map\" accepts the path of a file of numbers"));

    std::vector<QImage> shots;
    for (std::size_t i = 0; i < steps.size(); ++i) {
        shots.push_back(Shot("s" + std::to_string(i) + ".png"));
        ASSERT_FALSE(shots.back().isNull()) << i;
    }
    for (std::size_t i = 1; i < steps.size(); ++i) {
        if (i != 6) {  // each edit changes the picture; the refused ones leave it as it was
            EXPECT_EQ(Changed(shots[i - 1], shots[i]) > 0.01, i != 5) << steps[i];
        }
    }
    auto red = [](QRgb p) { return qRed(p) > 120 && qGreen(p) < 60 && qBlue(p) < 60; };
    EXPECT_LT(Share(shots[6], red), 0.01);
    EXPECT_GT(Share(shots[7], red), 0.05);

    // The sheet shows what the layers took, and the workspaces hold it.
    EXPECT_THAT(run.out, HasSubstr("Image3DLayer\tContrast\t[-50.0, 150.0]\tenabled"));
    EXPECT_THAT(run.out, HasSubstr("MeshLayer\tColor\t255, 0, 0\tenabled"));
    const std::string saved = ReadAll(Path("v.f")) + "\n" + ReadAll(Path("w.f"));
    for (const char* value : {"Slice=10, 30, 8", "Contrast=[-50.0, 150.0]", "Opacity=0.4\t",
                              "Transform=[1, 0, 0, 12; 0, 1, 0, 0; 0, 0, 1, 0; 0, 0, 0, 1]",
                              "Opacity=0.3", "Color Map=True"}) {
        EXPECT_THAT(saved, HasSubstr(value));
    }
    // A workspace comes back as saved (relative names are taken from the session's folder).
    const Outcome loaded = Batch("loadworkspace w.f\nvars\nlayers\nselect kidney\nprops\nquit\n");
    ASSERT_EQ(loaded.status, 0) << loaded.err;
    const std::string vars = run.out.substr(run.out.find("id      name"));
    EXPECT_THAT(loaded.out, HasSubstr("workspace loaded"));
    EXPECT_THAT(loaded.out, HasSubstr(vars.substr(0, vars.find("\n\n"))));
    EXPECT_THAT(loaded.out, HasSubstr("View\n  kidney\n"));
    EXPECT_THAT(loaded.out, HasSubstr("MeshLayer\tColor\t255, 0, 0\tenabled"));
    EXPECT_THAT(loaded.out, HasSubstr("MeshLayer\tOpacity\t30\tenabled"));
}

// Each hardware resource with its state: a device server that is not running is waited for.
TEST_F(BatchModeTest, TheHardwareWordListsEachResourceWithItsState) {
    const fs::path config = fs::path(std::getenv("XDG_CONFIG_HOME")) / "varq";
    fs::create_directories(config);
    std::ofstream(config / "OpenIGTLink.conf") << "# not running\nport 1 # nor 70000\nport 70000\n";
    const Outcome run = Batch("hardware\nquit\n");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_THAT(run.out, AllOf(HasSubstr("OpenIGTLink\twaiting for 127.0.0.1:1\t0.0\t-\n"),
                               HasSubstr("Simulated Tracker\tno live data\t-\t-\n")));
}

TEST_F(BatchModeTest, InspectRendersASnapshotOfASampleFile) {
    const std::string inspect =
        kBin + "/varq-inspect --snapshot " + Path("kidney.png") + " --size ";
    const std::string file = " " + kLocal + "/Kidney/kidney.stl > " + Path("inspect.txt") + " 2>&1";
    EXPECT_EQ(WEXITSTATUS(std::system((inspect + "nonsense" + file).c_str())), 2);
    ASSERT_EQ(WEXITSTATUS(std::system((inspect + "200x150" + file).c_str())), 0)
        << ReadAll(Path("inspect.txt"));
    const QImage image(QString::fromStdString(Path("kidney.png")));
    ASSERT_EQ(image.size(), QSize(200, 150));
    // The surface is drawn on a dark background.
    auto differs = [](QRgb p) { return qRed(p) > 100 || qGreen(p) > 100; };
    EXPECT_FALSE(differs(image.pixel(0, 0)));
    EXPECT_GT(Share(image, differs), 0.02);
}

// The window's size, place and docks come back at the next start; batch mode keeps its
// hands off them.
TEST_F(BatchModeTest, TheWindowLayoutIsKeptBetweenSessions) {
    const std::string config = Path("config"), layoutFile = config + "/varq/Window.conf";
    const auto start = [&](const std::string& how) {
        return std::system(("XDG_CONFIG_HOME=" + config + " " + kBin + "/varq " + how +
                            " > /dev/null 2>&1 < /dev/null")
                               .c_str());
    };
    // Made by another window: a place and size of its own, the layer tree hidden on the
    // left (the workstation puts it on the right).
    int argc = 1;
    char* argv[] = {const_cast<char*>("host_tests"), nullptr};
    QApplication application(argc, argv);
    QMainWindow made, seen;
    for (QMainWindow* window : {&made, &seen}) {
        window->addDockWidget(Qt::LeftDockWidgetArea, new QDockWidget(window));
        window->findChild<QDockWidget*>()->setObjectName("layersDock");
    }
    made.findChild<QDockWidget*>()->hide();
    made.setGeometry(60, 50, 1100, 760);
    ASSERT_EQ(start("--batch -"), 0);
    std::ofstream(layoutFile) << wexlan::ComposeWindowLayout(
        {made.saveGeometry().toStdString(), made.saveState().toStdString()});
    ASSERT_EQ(start("--startup-time"), 0);
    const std::string kept = ReadAll(layoutFile);
    ASSERT_EQ(start("--batch -"), 0);
    EXPECT_EQ(ReadAll(layoutFile), kept);
    std::optional<wexlan::WindowLayout> saved = wexlan::ParseWindowLayout(kept);
    ASSERT_TRUE(saved);
    seen.addDockWidget(Qt::RightDockWidgetArea, seen.findChild<QDockWidget*>());
    EXPECT_TRUE(seen.restoreGeometry(QByteArray::fromStdString(saved->geometry)));
    EXPECT_TRUE(seen.restoreState(QByteArray::fromStdString(saved->state)));
    EXPECT_EQ(seen.geometry(), QRect(60, 50, 1100, 760));
    EXPECT_TRUE(seen.findChild<QDockWidget*>()->isHidden());
    EXPECT_EQ(seen.dockWidgetArea(seen.findChild<QDockWidget*>()), Qt::LeftDockWidgetArea);

    // Bytes Qt does not take: the window starts at its first size, inside the screen.
    std::ofstream(layoutFile) << "geometry=Zm9yZWlnbg==\nstate=Zm9yZWlnbg==\n";
    ASSERT_EQ(start("--startup-time"), 0);
    saved = wexlan::ParseWindowLayout(ReadAll(layoutFile));
    ASSERT_TRUE(saved && seen.restoreGeometry(QByteArray::fromStdString(saved->geometry)));
    EXPECT_EQ(seen.size(), QSize(1280, 900));
}

// Every viewing tab comes back from a workspace file with its module, mode, layers and
// cameras, also after the data and the file moved together; what is missing is named once.
TEST_F(BatchModeTest, WorkspacesKeepEveryTabAndMoveWithTheirData) {
    fs::create_directory(Path("data"));
    WriteCtVolume(Path("data/ct.mha"));
    fs::copy_file(kLocal + "/Kidney/kidney.stl", Path("data/kidney.stl"));
    fs::copy_file(kLocal + "/Liver/liver.ply", Path("data/liver.ply"));
    const Outcome run = Batch(
        "open " + Path("data/ct.mha") + " " + Path("data/kidney.stl") + " " +
        Path("data/liver.ply") +
        "\nselect ct\nbutton Volume Viewer\nmodule Volume Viewer mode four\n"
        "set Contrast -50, 150\nset Slice 10, 30, 8\ncamera azimuth 30\nscreenshot a.png\n"
        "newtab\nselect kidney\nbutton Surface Viewer\nselect liver\nbutton Surface Viewer\n"
        "layer kidney\nset Color #ff0000\nset Opacity 40\nlayer liver\nset Color #00ff00\n"
        "camera elevation 20\nscreenshot b.png\ntab 3\ntab 1\ntabs\nworkspace data/w.f\nquit\n");
    ASSERT_EQ(run.status, 1);
    EXPECT_THAT(run.err, HasSubstr("line 21: tab needs a number from 1 to 2"));
    const std::string tabs =
        "1\tVolume Viewer - ct\tVolume Viewer\tct\n2\tSurface Viewer - "
        "kidney, liver\tSurface Viewer\tkidney\tliver\n";
    EXPECT_THAT(run.out, HasSubstr(tabs));

    // Moved elsewhere, nothing left at the old place: everything comes back in the same tabs.
    fs::rename(Path("data"), Path("moved"));
    const Outcome loaded = Batch(
        "loadworkspace moved/w.f\ntabs\nscreenshot a2.png\ntab 2\n"
        "screenshot b2.png\ntab 1\nworkspace moved/again.f\nquit\n");
    ASSERT_EQ(loaded.status, 0) << loaded.err;
    EXPECT_THAT(loaded.out, HasSubstr(tabs));
    EXPECT_LT(Changed(Shot("a.png"), Shot("a2.png")), 0.01);
    EXPECT_LT(Changed(Shot("b.png"), Shot("b2.png")), 0.01);
    // Modes, layer lines with their rows and cameras are saved again as they were.
    const auto tabPart = [](const std::string& text) {
        return std::regex_replace(text.substr(text.find("# THE END")), std::regex("\npath\t[^\n]*"),
                                  "");
    };
    const std::string saved = ReadAll(Path("moved/w.f"));
    EXPECT_EQ(tabPart(ReadAll(Path("moved/again.f"))), tabPart(saved));
    for (const char* line :
         {"current\t1\ntab\tVolume Viewer\nmode\tfour\nview\t", "Contrast=[-50.0, 150.0]",
          "Slice=10, 30, 8", "Opacity=0.4", "tab\tSurface Viewer\nview\t", "\tkidney.stl\n"}) {
        EXPECT_THAT(saved, HasSubstr(line));
    }

    // A missing file is named once and the rest loads; a file of the first kind still loads.
    fs::remove(Path("moved/liver.ply"));
    std::ofstream(Path("old.f")) << "# MODELS\n# VOLUMES\nimage\tct\t" << Path("moved/ct.mha")
                                 << "\n# activated component\nVolume Viewer\ncoolstart\n# Layers\n"
                                    "Image3DLayer\tct\tct\tOpacity=0.5\n# THE END";
    const Outcome partly =
        Batch("loadworkspace moved/w.f\ntabs\nnewtab\nloadworkspace old.f\nselect ct\nprops\n");
    EXPECT_EQ(partly.status, 1);
    EXPECT_THAT(partly.err, HasSubstr("the data file " + Path("data/liver.ply") + " is missing\n"));
    EXPECT_THAT(partly.out, HasSubstr("1\tVolume Viewer - ct\tVolume Viewer\tct\n2\tSurface "
                                      "Viewer - kidney\tSurface Viewer\tkidney\n"));
    EXPECT_THAT(partly.out, HasSubstr("Image3DLayer\tOpacity\t50\tenabled"));
}

// The remote words against Orthanc: a server added, its studies and series listed, a series
// retrieved with progress and opened, then opened again from the cache with the server gone.
TEST(BatchRemoteTest, AddListRetrieveAndOpenASeries) {
    int argc = 1;
    char name[] = "host_tests";
    char* argv[] = {name, nullptr};
    QCoreApplication application(argc, argv);
    auto server = std::make_unique<wexlan::test::OrthancServer>();
    if (!server->Skip().empty()) {
        GTEST_SKIP() << server->Skip();
    }
    for (int k = 0; k < 3; ++k) {
        wexlan::io::test::DicomSlice slice;
        slice.pixels = wexlan::io::test::Pixels16(std::vector<int>(12, k));
        slice.position = std::array<double, 3>{0, 0, 1.0 * k};
        const std::string path = server->Folder().toStdString() + "/" + std::to_string(k) + ".dcm";
        ASSERT_TRUE(wexlan::io::test::WriteDicom(path, slice));
        ASSERT_EQ(server->Upload(QString::fromStdString(path)), "");
    }
    // The servers file goes to the test process's own configuration folder.
    QTemporaryDir dir;
    const std::string series = "1.2.826.0.1.3680043.8.498.1";
    const auto run = [&](const std::string& commands) {
        std::ofstream(dir.path().toStdString() + "/c.txt") << commands;
        const std::string prefix = dir.path().toStdString();
        const int status =
            std::system(("XDG_CACHE_HOME=" + prefix + " " + kBin + "/varq --batch --progress " +
                         prefix + "/c.txt > " + prefix + "/out 2> " + prefix + "/err")
                            .c_str());
        return Outcome{WEXITSTATUS(status), ReadAll(prefix + "/out"), ReadAll(prefix + "/err")};
    };
    const std::string url = server->DicomWeb().toStdString();
    Outcome first = run("remote add batchorthanc " + url + "\nremote studies batchorthanc\n" +
                        "remote open batchorthanc " + series + "\nvars\n");
    server.reset();
    Outcome again = run("remote open batchorthanc " + series + "\nremote studies batchorthanc\n");
    EXPECT_EQ(first.status, 0) << first.err;
    EXPECT_THAT(first.out, HasSubstr("server batchorthanc added\n"));
    EXPECT_THAT(first.out, HasSubstr("File loaded\n"));
    EXPECT_THAT(first.err, HasSubstr("progress: " + series + " "));
    EXPECT_TRUE(fs::exists(dir.path().toStdString() + "/varq/dicomweb/" + series + "/000003.dcm"));
    // From the cache without the server; the search then fails with the reason.
    EXPECT_EQ(again.status, 1);
    EXPECT_THAT(again.out, HasSubstr("File loaded\n"));
    EXPECT_THAT(again.err, AllOf(HasSubstr("line 2: cannot connect to"), Not(HasSubstr(series))));
}
